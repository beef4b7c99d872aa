#include "services/ShellOps.h"

#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/ShellCopy.h"
#include "platform/Trash.h"
#include "platform/WinFs.h"

namespace Module2 {
namespace {

ShellResult unmapped(const QString &path)
{
    return ShellResult::failed(QStringLiteral("La unidad de la ruta no está disponible: ") + path);
}

} // namespace

ShellResult EnviarPapelera(const QString &path, int confirm)
{
    const QString host = WinFs::hostPath(path);
    if (host.isEmpty())
        return unmapped(path);
    if (confirm != 0
        && !Ask::yes(QStringLiteral("Eliminar archivo"),
                     QStringLiteral("¿Está seguro de que desea enviar \"") + path
                         + QStringLiteral("\" a la Papelera de reciclaje?")))
        return ShellResult::declined();
    return Trash::moveToTrash(host);
}

ShellResult CopiarArchivo(const QString &source, const QString &destination)
{
    const QString from = WinFs::hostPath(source);
    if (from.isEmpty())
        return unmapped(source);
    const QString to = WinFs::hostPath(destination);
    if (to.isEmpty())
        return unmapped(destination);
    return ShellCopy::copyInto(from, to);
}

ShellResult VaciarPapelera(const QString &root, int noConfirmation)
{
    Q_UNUSED(root);
    // Nothing to empty, nothing to ask.
    if (Trash::isEmpty())
        return ShellResult::ok();
    if (noConfirmation == 0
        && !Ask::yes(QStringLiteral("Vaciar Papelera de reciclaje"),
                     QStringLiteral("¿Está seguro de que desea eliminar definitivamente todos los elementos de la "
                                    "Papelera de reciclaje?")))
        return ShellResult::declined();
    return Trash::emptyAll();
}

} // namespace Module2
