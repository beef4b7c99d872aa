#include "main/BuscarVips.h"

#include "main/Form1.h"
#include "main/FolderListWindows.h"
#include "main/FolderLists.h"
#include "platform/EventPump.h"
#include "services/FindFiles.h"
#include "services/WinColor.h"

#include <QLineEdit>
#include <QListWidget>

namespace Buscar {

namespace {

// The search folders as the user listed them; empty lines name no folder.
QStringList searchFolders()
{
    const QStringList lines = unidadesBuscarLoaded() ? Form1::lines(unidadesBuscar().ListBusca)
                                                     : FolderLists::storedSearchFolders();
    QStringList out;
    for (const QString &l : lines)
        if (!l.trimmed().isEmpty())
            out << l;
    return out;
}

} // namespace

bool BuscarEnTodasUnidades(Form1 &f, const QString &file, QListWidget *mlist)
{
    // The walk lets events run: while it does, no analysis may start and no
    // second search may begin (both would work on the lists under it).
    if (!Activity::mayStart(Activity::Request::Search))
        return false;
    const Activity::Token running(Activity::Kind::Search);
    // A cancel of an earlier run must not cut this search short.
    f.cancelar = false;
    f.Iniciar_Clock();
    const QString selected = mlist && mlist->currentItem() ? mlist->currentItem()->text() : QString();
    const QString missing = selected.contains(u':') ? selected : file;
    if (missing.isEmpty()) {
        f.Lapso();
        return false;
    }
    // A name without a file title (wildcards, a name the project could not
    // store) would match every file of the search folders.
    if (file.isEmpty() || file.contains(u'*') || file.contains(u'?') || file.contains(u';')) {
        f.Lapso();
        f.Alerta(3, QStringLiteral("El archivo: \r\n") + (file.isEmpty() ? missing : file)
                        + QStringLiteral("\r\nNo existe en ninguna carpeta"),
                 true);
        return false;
    }
    f.colorLapso(colorFromBgr(0xC0C0FF));

    const QStringList folders = searchFolders();
    if (folders.isEmpty()) {
        f.Lapso();
        f.Alerta(3, QStringLiteral("AVISO \r\nNO HAY NIGUNA CARPETA \r\nSeleccionada para buscar este archivo"), true);
        f.colorLapso(QColor());
        return false;
    }

    QStringList List2;
    bool cancelled = false;
    for (const QString &line : folders) {
        // A folder gets one "\" (a drive root already has it).
        const QString folder = line.endsWith(u'\\') ? line : line + u'\\';
        f.Alerta(4, QStringLiteral("Buscando: ") + missing + QStringLiteral("\r\nEn la carpeta... ") + folder
                     + QStringLiteral("\r\nESPERAR"),
                 true);
        f.setCursor(Qt::WaitCursor);
        cFindFiles cFind;
        cFind.setSearchSubDirs(true);
        QObject::connect(&cFind, &cFindFiles::EndSearch, &f, [&] { List2 << cFind.ColFiles(); });
        cFind.Find(folder, file, QString(), 1);
        EventPump::pumpEvents();
        if (f.cancelar) {
            cancelled = true;
            break;
        }
    }

    bool result = false;
    f.unsetCursor();
    if (!cancelled) {
        QString lines;
        for (const QString &p : List2)
            lines += p + QStringLiteral("\r\n");
        if (List2.isEmpty()) {
            f.Alerta(3, QStringLiteral("El archivo: \r\n") + file + QStringLiteral("\r\nNo existe en ninguna carpeta"),
                     true);
        } else {
            result = true;
            f.Buscado = List2.first();
            if (List2.size() == 1)
                f.Alerta(2, QStringLiteral("El archivo: ") + selected + QStringLiteral("\r\nHa sido encontrado en: \r\n")
                             + lines,
                         true);
            else
                f.Alerta(2, QStringLiteral("El archivo: ") + file + QStringLiteral("\r\nHa sido encontrado en ")
                             + QString::number(List2.size()) + QStringLiteral(" carpetas\r\n") + lines,
                         true);
        }
    }
    f.colorLapso(QColor());
    f.Lapso();
    return result;
}

} // namespace Buscar
