#include "services/Dialogo.h"

#include "platform/DriveMap.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFileInfo>

namespace Dialogo {
namespace {

// "*.vip" -> "*.[vV][iI][pP]": QFileDialog matches case-sensitively on Linux.
QString caseBlind(const QString &pattern)
{
    QString out;
    for (QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += u'[' + QString(c.toLower()) + QString(c.toUpper()) + u']';
        else
            out += c;
    }
    return out;
}

} // namespace

QStringList nameFilters(const QString &filtro)
{
    const QStringList parts = filtro.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns)
            p = caseBlind(p.trimmed());
        // The description is shown as given; Qt takes the patterns from the
        // last parentheses, so they go after it.
        out << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
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
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters(nameFilters(filtro));
    if (!carpetaInicial.isEmpty()) {
        const QString host = DriveMap::instance().toHost(carpetaInicial);
        if (!host.isEmpty())
            dlg.setDirectory(host);
    }
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
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ReadOnly, !allowNewFolder);
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
