#include "main/BuscarVips.h"

#include "main/Form1.h"
#include "services/ModuleArchivos.h"

#include <QApplication>
#include <QSet>

namespace Buscar {

bool BuscarVips(Form1 &f, const QString &carpeta)
{
    QString folder = carpeta;
    if (folder.endsWith(u'\\'))
        folder.chop(1);

    f.setCursor(Qt::WaitCursor);
    QStringList found;
    QSet<QString> folders;
    ModuleArchivos::BuscarArchivos(folder, QStringList{QStringLiteral("*.vip")}, found, &folders);
    f.unsetCursor();

    f.List1.clear();
    bool any = false;
    for (const QString &line : found) {
        if (folders.contains(line))
            continue;
        if (f.Valido(line)) {
            f.List1 << line;
            any = true;
        } else if (f.dec.readError) {
            f.unreadableProjects << line;
        }
        if (f.cancelar)
            break;
    }
    return any;
}

} // namespace Buscar
