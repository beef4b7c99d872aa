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

void stopPlayback()
{
    if (hooks().stopPlayback)
        hooks().stopPlayback();
}

void togglePlayer()
{
    if (hooks().togglePlayer)
        hooks().togglePlayer();
}

bool playerVisible()
{
    return hooks().playerVisible && hooks().playerVisible();
}

void focusPlayer()
{
    if (hooks().focusPlayer)
        hooks().focusPlayer();
}

void movePlayer(int leftTwips, int topTwips)
{
    if (hooks().movePlayer)
        hooks().movePlayer(leftTwips, topTwips);
}

int playerVolume()
{
    return hooks().playerVolume ? hooks().playerVolume() : 0;
}

void setPlayerVolume(int volume)
{
    if (hooks().setPlayerVolume)
        hooks().setPlayerVolume(volume);
}

std::optional<PlayerState> playerState()
{
    return hooks().playerState ? hooks().playerState() : std::nullopt;
}

std::optional<QString> audioInfo(const QString &ext, const QString &file)
{
    return hooks().audioInfo ? hooks().audioInfo(ext, file) : std::nullopt;
}

void playAudio(const QString &audio)
{
    if (hooks().playAudio)
        hooks().playAudio(audio);
}

void setPlayerVisible(bool visible)
{
    if (hooks().setPlayerVisible)
        hooks().setPlayerVisible(visible);
}

void copiarAlPlayer(QListWidget *list, const QString &tipo)
{
    if (hooks().copiarAlPlayer)
        hooks().copiarAlPlayer(list, tipo);
}

} // namespace Peers
