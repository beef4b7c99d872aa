#include "services/Dialogo.h"

#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/SpanishDate.h"
#include "platform/WinFs.h"
#include "services/NameIcons.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QKeyEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QUrl>

#include <dirent.h>

namespace Dialogo {
namespace {

// The role under which the sidebar keeps each place's address.
constexpr int kPlaceUrlRole = Qt::UserRole + 1;

std::function<QString()> &projectFolder()
{
    static std::function<QString()> folder;
    return folder;
}

bool listable(const QString &host)
{
    if (host.isEmpty())
        return false;
    DIR *d = ::opendir(QFile::encodeName(host).constData());
    if (!d)
        return false;
    ::closedir(d);
    return true;
}

// The host folder of a Windows folder path, found case-blind as Windows
// would ("" when its drive is not mapped).
QString hostFolder(const QString &windows)
{
    const QString collapsed = DriveMap::collapse(windows);
    return collapsed.isEmpty() ? QString() : WinFs::hostPath(collapsed);
}

// The mapped drives' roots, by letter.
QList<QUrl> driveUrls()
{
    QList<QUrl> urls;
    const QMap<QChar, QString> drives = DriveMap::instance().drives();
    for (auto it = drives.cbegin(); it != drives.cend(); ++it)
        urls << QUrl::fromLocalFile(it.value());
    return urls;
}

// The sidebar names each drive by its letter, as the program's paths do.
class DriveLetters final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QString caption(const QModelIndex &place)
    {
        const QString host = place.data(kPlaceUrlRole).toUrl().toLocalFile();
        const QMap<QChar, QString> drives = DriveMap::instance().drives();
        for (auto it = drives.cbegin(); it != drives.cend(); ++it)
            if (!host.isEmpty() && QDir::cleanPath(it.value()) == QDir::cleanPath(host))
                return QString(it.key()) + u':';
        return place.data(Qt::DisplayRole).toString();
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = caption(index);
    }
};

// The detail view's date column as the program writes dates, whatever the
// system's locale (Qt's own model writes it in the system's).
class SpanishDates final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QString text(const QModelIndex &index)
    {
        const auto *model = qobject_cast<const QFileSystemModel *>(index.model());
        if (model && index.column() == kDateColumn)
            return SpanishDate::dateTime(model->lastModified(index));
        return index.data(Qt::DisplayRole).toString();
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == kDateColumn)
            option->text = text(index);
    }

private:
    // The file model's columns: name, size, type, date modified.
    static constexpr int kDateColumn = 3;
};

// A dialog that understands a typed Windows path, by the Enter key or its
// accept button: one that names a folder opens it; any other is taken as the
// host path it names (a file to choose, or a name the dialog then judges as
// it judges any).
class DriveDialog final : public QFileDialog
{
public:
    DriveDialog(QWidget *owner, const QString &title) : QFileDialog(owner, title) {}

    // Once the dialog's own controls are made (after its mode is set).
    void watchTypedPaths()
    {
        m_edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!m_edit)
            return;
        m_edit->installEventFilter(this);
        // After the dialog's own check, which takes a Windows path for a
        // name in the folder shown and may refuse it.
        connect(m_edit, &QLineEdit::textChanged, this, [this] {
            if (hostOf(m_edit->text()).isEmpty())
                return;
            if (auto *box = findChild<QDialogButtonBox *>())
                for (QAbstractButton *b : box->buttons())
                    if (box->buttonRole(b) == QDialogButtonBox::AcceptRole)
                        b->setEnabled(true);
        });
    }

    void accept() override
    {
        if (!takeTypedPath())
            QFileDialog::accept();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_edit && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && takeTypedPath())
                return true;
        }
        return QFileDialog::eventFilter(watched, event);
    }

private:
    static QString hostOf(QString typed)
    {
        typed = typed.trimmed();
        if (typed.size() == 2 && typed[1] == u':' && typed[0].isLetter())
            typed += u'\\';
        return hostFolder(typed);
    }

    // True when the name box held a path of a mapped drive, now taken.
    bool takeTypedPath()
    {
        const QString host = m_edit ? hostOf(m_edit->text()) : QString();
        if (host.isEmpty())
            return false;
        if (QFileInfo(host).isDir()) {
            setDirectory(host);
            m_edit->clear();
            return true;
        }
        // What was selected in the folder shown is not what was typed.
        if (auto *view = findChild<QAbstractItemView *>(QStringLiteral("listView")))
            view->clearSelection();
        m_edit->setText(host);
        QFileDialog::accept();
        return true;
    }

    QLineEdit *m_edit = nullptr;
};

// What every dialog of the program shares: nothing it lists is read (icons
// and types come from the names), the drives in its sidebar, and a start in
// a folder it can list.
void prepare(DriveDialog &dlg, QWidget *owner, const QString &carpetaInicial)
{
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.watchTypedPaths();
    dlg.setIconProvider(&NameIcons::provider());
    dlg.setSidebarUrls(driveUrls());
    if (auto *sidebar = dlg.findChild<QListView *>(QStringLiteral("sidebar")))
        sidebar->setItemDelegate(new DriveLetters(sidebar));
    if (auto *details = dlg.findChild<QTreeView *>(QStringLiteral("treeView")))
        details->setItemDelegate(new SpanishDates(details));
    const QString initial = hostFolder(carpetaInicial);
    dlg.setDirectory(listable(initial) ? initial : startFolder(owner));
}

// The folder a dialog answered, kept for its next start.
void remember(const QWidget *owner, const QString &hostFolder)
{
    Settings::set(folderKey(owner), DriveMap::instance().toWindows(hostFolder));
}

} // namespace

void setProjectFolder(std::function<QString()> folder)
{
    projectFolder() = std::move(folder);
}

QString folderKey(const QWidget *owner)
{
    const QString name = owner ? owner->window()->objectName() : QString();
    return name.isEmpty() ? QStringLiteral("Dialogo") : name + QStringLiteral("_Dialogo");
}

QString startFolder(const QWidget *owner)
{
    QStringList candidates{Settings::get(folderKey(owner))};
    if (projectFolder())
        candidates << projectFolder()();
    for (const QString &windows : std::as_const(candidates)) {
        const QString host = hostFolder(windows);
        if (listable(host))
            return host;
    }
    for (const QString &root : DriveMap::instance().drives())
        if (listable(root))
            return root;
    return QDir::homePath();
}

QString sidebarText(const QAbstractItemView *sidebar, int row)
{
    const QModelIndex place = sidebar->model()->index(row, 0);
    return dynamic_cast<const DriveLetters *>(sidebar->itemDelegate()) ? DriveLetters::caption(place)
                                                                        : place.data(Qt::DisplayRole).toString();
}

QString detailText(const QAbstractItemView *details, const QModelIndex &index)
{
    return dynamic_cast<const SpanishDates *>(details->itemDelegate()) ? SpanishDates::text(index)
                                                                       : index.data(Qt::DisplayRole).toString();
}

QStringList nameFilters(const QString &filtro)
{
    const QStringList parts = filtro.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Shown as written: the description, then the patterns in the
        // parentheses Qt reads them from (Windows shows the description only).
        const QString patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
        out << (parts[i].endsWith(QStringLiteral("(") + patterns + u')')
                    ? parts[i]
                    : parts[i] + QStringLiteral(" (") + patterns + u')');
    }
    return out;
}

namespace {

// A file dialog that goes when the event loop next takes over: taking it
// down (its folder model and the thread that reads folders) takes a while,
// and the command that asked for it has its work to begin.
struct LaterDialog
{
    DriveDialog &dlg;
    LaterDialog(QWidget *owner, const QString &title) : dlg(*new DriveDialog(owner, title)) {}
    ~LaterDialog()
    {
        dlg.hide();
        // Until then its folder model would go on watching the chosen folder
        // and reading each file the command writes there (a backup run
        // writes thousands).
        if (auto *model = dlg.findChild<QFileSystemModel *>())
            model->setOption(QFileSystemModel::DontWatchForChanges, true);
        dlg.deleteLater();
    }
    LaterDialog(const LaterDialog &) = delete;
    LaterDialog &operator=(const LaterDialog &) = delete;
};

} // namespace

QString AbrirArchivo(QWidget *owner, const QString &filtro, const QString &titulo,
                     const QString &carpetaInicial)
{
    LaterDialog later(owner, titulo);
    DriveDialog &dlg = later.dlg;
    dlg.setObjectName(QStringLiteral("DialogoAbrirArchivo"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters(nameFilters(filtro));
    // Patterns match in either case, as Windows does ("Tema.VIP" is offered).
    dlg.setFilter(dlg.filter() & ~QDir::CaseSensitive);
    prepare(dlg, owner, carpetaInicial);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty())
        return {};
    const QFileInfo chosen(files.first());
    QDir::setCurrent(chosen.absolutePath());
    remember(owner, chosen.absolutePath());
    return DriveMap::instance().toWindows(chosen.absoluteFilePath()).trimmed();
}

QString ElegirCarpeta(QWidget *owner, const QString &titulo, bool allowNewFolder)
{
    LaterDialog later(owner, titulo);
    DriveDialog &dlg = later.dlg;
    dlg.setObjectName(QStringLiteral("DialogoElegirCarpeta"));
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ReadOnly, !allowNewFolder);
    prepare(dlg, owner, QString());
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dlg.selectedFiles();
    if (chosen.isEmpty())
        return {};
    const QString folder = QFileInfo(chosen.first()).absoluteFilePath();
    remember(owner, folder);
    QString win = DriveMap::instance().toWindows(folder);
    // A drive root keeps its "\", other folders have none.
    while (win.size() > 3 && win.endsWith(u'\\'))
        win.chop(1);
    if (win.size() == 2 && win[1] == u':')
        win += u'\\';
    return win;
}

} // namespace Dialogo
