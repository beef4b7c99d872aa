#pragma once

#include <QString>

class QListWidget;

#include <functional>
#include <optional>

// The windows above the main window (player, deletion, associated files)
// build on it, so it cannot call them directly. They register here when the
// application is put together; until then each call does nothing (a window
// that is not loaded has nothing to unload and no deletion is running).
namespace Peers {

// What the main window stores of the player window when it shuts down.
struct PlayerState
{
    int volume = 0;
    int checkToolTip = 0;
    int leftTwips = 0;
    int topTwips = 0;
};

struct Hooks
{
    std::function<bool()> estaBorrando;   // the deletion window's run, or a restore, is in progress
    std::function<void()> unloadFormMedia; // unload the player window (it saves its settings)
    std::function<void()> unloadForm2;     // unload the associated-files window
    std::function<void()> stopPlayer;      // stop playback and empty the control's playlist
    std::function<void()> toggleParaBorrar;  // show or hide the deletion window
    std::function<void()> copiarListBorrados; // copy the unused list into the deletion window
    // The main window's unused list was emptied or filled: a loaded deletion
    // window takes the new list at once (shown or hidden).
    std::function<void()> unusedListChanged;
    std::function<void()> showRecuperar;     // show the restore window
    std::function<void()> unloadRecuperar;
    // The player window (loaded on first use by each call).
    std::function<void()> stopPlayback;      // stop only, the playlist stays
    std::function<void()> togglePlayer;      // show or hide the player window
    std::function<bool()> playerVisible;     // false when not loaded
    std::function<void()> focusPlayer;
    std::function<void(int, int)> movePlayer; // left, top in twips
    std::function<int()> playerVolume;
    std::function<void(int)> setPlayerVolume;
    std::function<void(bool)> setPlayerVisible;
    std::function<void(QListWidget *, const QString &)> copiarAlPlayer; // the selected lines as a playlist block
    std::function<void(const QString &)> playAudio; // load a file into the player and play it
    // The audio information text of a file ("wav" or "mp3" reader, by the
    // extension given); nothing when the reader has no text for it.
    std::function<std::optional<QString>(const QString &ext, const QString &file)> audioInfo;
    // The state of a loaded player window; nothing when it is not loaded.
    std::function<std::optional<PlayerState>()> playerState;
};

Hooks &hooks();

bool estaBorrando();
void unloadFormMedia();
void unloadForm2();
void stopPlayer();
void toggleParaBorrar();
void copiarListBorrados();
void unusedListChanged();
void showRecuperar();
void unloadRecuperar();
void stopPlayback();
void togglePlayer();
bool playerVisible();
void focusPlayer();
void movePlayer(int leftTwips, int topTwips);
int playerVolume();
void setPlayerVolume(int volume);
std::optional<PlayerState> playerState();
void playAudio(const QString &audio);
void setPlayerVisible(bool visible);
void copiarAlPlayer(QListWidget *list, const QString &tipo);
std::optional<QString> audioInfo(const QString &ext, const QString &file);

} // namespace Peers
