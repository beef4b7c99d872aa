#include "main/Peers.h"

namespace Peers {

Hooks &hooks()
{
    static Hooks h;
    return h;
}

bool estaBorrando()
{
    return hooks().estaBorrando && hooks().estaBorrando();
}

void unloadFormMedia()
{
    if (hooks().unloadFormMedia)
        hooks().unloadFormMedia();
}

void unloadForm2()
{
    if (hooks().unloadForm2)
        hooks().unloadForm2();
}

void stopPlayer()
{
    if (hooks().stopPlayer)
        hooks().stopPlayer();
}

void toggleParaBorrar()
{
    if (hooks().toggleParaBorrar)
        hooks().toggleParaBorrar();
}

void copiarListBorrados()
{
    if (hooks().copiarListBorrados)
        hooks().copiarListBorrados();
}

void showRecuperar()
{
    if (hooks().showRecuperar)
        hooks().showRecuperar();
}

void unloadRecuperar()
{
    if (hooks().unloadRecuperar)
        hooks().unloadRecuperar();
}

} // namespace Peers
