#include "main/Peers.h"

namespace Peers {

namespace {

// A hook that is not registered does nothing (or answers `fallback`): the
// window behind it is not loaded, or not part of this program.
template <typename Fn, typename... Args>
void run(const Fn &fn, Args &&...args)
{
    if (fn)
        fn(std::forward<Args>(args)...);
}

template <typename R, typename Fn, typename... Args>
R answer(const Fn &fn, R fallback, Args &&...args)
{
    return fn ? R(fn(std::forward<Args>(args)...)) : fallback;
}

} // namespace

Hooks &hooks()
{
    static Hooks h;
    return h;
}

bool estaBorrando() { return answer(hooks().estaBorrando, false); }
void unloadFormMedia() { run(hooks().unloadFormMedia); }
void unloadForm2() { run(hooks().unloadForm2); }
void stopPlayer() { run(hooks().stopPlayer); }
void toggleParaBorrar() { run(hooks().toggleParaBorrar); }
void copiarListBorrados() { run(hooks().copiarListBorrados); }
void unusedListChanged() { run(hooks().unusedListChanged); }
void showRecuperar() { run(hooks().showRecuperar); }
void unloadRecuperar() { run(hooks().unloadRecuperar); }
void stopPlayback() { run(hooks().stopPlayback); }
void togglePlayer() { run(hooks().togglePlayer); }
bool playerVisible() { return answer(hooks().playerVisible, false); }
void focusPlayer() { run(hooks().focusPlayer); }
void movePlayer(int leftTwips, int topTwips) { run(hooks().movePlayer, leftTwips, topTwips); }
int playerVolume() { return answer(hooks().playerVolume, 0); }
void setPlayerVolume(int volume) { run(hooks().setPlayerVolume, volume); }
void playAudio(const QString &audio) { run(hooks().playAudio, audio); }
void setPlayerVisible(bool visible) { run(hooks().setPlayerVisible, visible); }
void copiarAlPlayer(QListWidget *list, const QString &tipo) { run(hooks().copiarAlPlayer, list, tipo); }

std::optional<PlayerState> playerState()
{
    return answer(hooks().playerState, std::optional<PlayerState>());
}

std::optional<QString> audioInfo(const QString &ext, const QString &file)
{
    return answer(hooks().audioInfo, std::optional<QString>(), ext, file);
}

} // namespace Peers
