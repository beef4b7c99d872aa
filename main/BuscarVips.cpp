#include "main/BuscarVips.h"

#include "main/Form1.h"
#include "services/FindFiles.h"

namespace Buscar {

bool BuscarVips(Form1 &f, const QString &carpeta)
{
    // A new finder for each search, walking sub-folders.
    cFindFiles cFind;
    cFind.setSearchSubDirs(true);
    QStringList List2;
    QObject::connect(&cFind, &cFindFiles::InitSearch, &f, [&f] { f.setCursor(Qt::WaitCursor); });
    QObject::connect(&cFind, &cFindFiles::EndSearch, &f, [&] {
        for (const QString &path : cFind.ColFiles()) {
            List2 << path;
            if (f.cancelar)
                break;
        }
    });

    // A dropped drive root "D:\" is searched as "D:".
    QString folder = carpeta;
    if (folder.endsWith(u'\\'))
        folder.chop(1);
    cFind.Find(folder, QStringLiteral("*.vip"), QString(), 1);

    f.List1.clear();
    f.unsetCursor();
    bool any = false;
    for (const QString &line : List2) {
        if (f.Valido(line)) {
            f.List1 << line;
            any = true;
        } else if (f.dec.readError) {
            // Refused like any project without audio, but the user is told:
            // the files only it uses would look unused.
            f.unreadableProjects << line;
        }
        if (f.cancelar)
            break;
    }
    return any;
}

} // namespace Buscar
