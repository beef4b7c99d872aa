#include "services/Dialogo.h"

#include "platform/DriveMap.h"
#include "services/NameIcons.h"

#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileSystemModel>
#include <QFileInfo>

#include <dirent.h>

namespace Dialogo {
namespace {

// What every dialog of the program shares: nothing it lists is read (icons
// and types come from the names), and it starts in a folder it can list.
// The dialog opens where the last one was left, which Qt keeps for later
// runs too; a folder that can no longer be listed (gone, unmounted, out of
// reach) is forgotten for the home folder.
void prepare(QFileDialog &dlg)
{
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setIconProvider(&NameIcons::provider());
    DIR *d = ::opendir(QFile::encodeName(dlg.directory().absolutePath()).constData());
    if (d)
        ::closedir(d);
    else
        dlg.setDirectory(QDir::homePath());
}

} // namespace

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
    QFileDialog &dlg;
    LaterDialog(QWidget *owner, const QString &title) : dlg(*new QFileDialog(owner, title)) {}
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
    QFileDialog &dlg = later.dlg;
    dlg.setObjectName(QStringLiteral("DialogoAbrirArchivo"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters(nameFilters(filtro));
    // Patterns match in either case, as Windows does ("Tema.VIP" is offered).
    dlg.setFilter(dlg.filter() & ~QDir::CaseSensitive);
    if (!carpetaInicial.isEmpty()) {
        const QString host = DriveMap::instance().toHost(carpetaInicial);
        if (!host.isEmpty())
            dlg.setDirectory(host);
    }
    prepare(dlg);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty())
        return {};
    const QFileInfo chosen(files.first());
    QDir::setCurrent(chosen.absolutePath());
    return DriveMap::instance().toWindows(chosen.absoluteFilePath()).trimmed();
}

QString ElegirCarpeta(QWidget *owner, const QString &titulo, bool allowNewFolder)
{
    LaterDialog later(owner, titulo);
    QFileDialog &dlg = later.dlg;
    dlg.setObjectName(QStringLiteral("DialogoElegirCarpeta"));
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ReadOnly, !allowNewFolder);
    prepare(dlg);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dlg.selectedFiles();
    if (chosen.isEmpty())
        return {};
    QString win = DriveMap::instance().toWindows(QFileInfo(chosen.first()).absoluteFilePath());
    // A drive root keeps its "\", other folders have none.
    while (win.size() > 3 && win.endsWith(u'\\'))
        win.chop(1);
    if (win.size() == 2 && win[1] == u':')
        win += u'\\';
    return win;
}

} // namespace Dialogo
