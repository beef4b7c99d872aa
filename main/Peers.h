#pragma once

#include <functional>

// The windows above the main window (player, deletion, associated files)
// build on it, so it cannot call them directly. They register here when the
// application is put together; until then each call does nothing (a window
// that is not loaded has nothing to unload and no deletion is running).
namespace Peers {

struct Hooks
{
    std::function<bool()> estaBorrando;   // the deletion window's run is in progress
    std::function<void()> unloadFormMedia; // unload the player window (it saves its settings)
    std::function<void()> unloadForm2;     // unload the associated-files window
    std::function<void()> stopPlayer;      // stop playback and empty the control's playlist
    std::function<void()> toggleParaBorrar;  // show or hide the deletion window
    std::function<void()> copiarListBorrados; // copy the unused list into the deletion window
    std::function<void()> showRecuperar;     // show the restore window
    std::function<void()> unloadRecuperar;
};

Hooks &hooks();

bool estaBorrando();
void unloadFormMedia();
void unloadForm2();
void stopPlayer();
void toggleParaBorrar();
void copiarListBorrados();
void showRecuperar();
void unloadRecuperar();

} // namespace Peers
