#include "services/ShellOps.h"

#include "platform/Ask.h"
#include "platform/Trash.h"

namespace Module2 {

ShellResult VaciarPapelera(const QString &root, int noConfirmation)
{
    Q_UNUSED(root);
    // Nothing to empty, nothing to ask; a trash that is left as it is (a
    // link, another's) is still said.
    QString refused;
    if (Trash::isEmpty(&refused))
        return refused.isEmpty() ? ShellResult::ok() : ShellResult::failed(refused);
    if (noConfirmation == 0
        && !Ask::yes(QStringLiteral("Vaciar Papelera de reciclaje"),
                     QStringLiteral("¿Está seguro de que desea eliminar definitivamente todos los elementos de la "
                                    "Papelera de reciclaje?")))
        return ShellResult::declined();
    return Trash::emptyAll();
}

} // namespace Module2
