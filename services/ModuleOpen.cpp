#include "services/ModuleOpen.h"

#include "services/Dialogo.h"

namespace ModuleOpen {

QString SeleccionarCarpeta(QWidget *owner)
{
    return Dialogo::ElegirCarpeta(owner, kTituloCarpeta, false);
}

} // namespace ModuleOpen
