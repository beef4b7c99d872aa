#include "app/App.h"

#include "main/Form1.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Peers.h"
#include "platform/MediaPlayer.h"
#include "player/AudioInfo.h"
#include "player/FormMedia.h"
#include "platform/Ask.h"
#include "services/CuadroMensaje.h"
#include "services/WindowPlace.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QScreen>

namespace App {
namespace {

} // namespace

void setup()
{
    Peers::Hooks &h = Peers::hooks();
    // A restore writes files back as a deletion removes them: the same
    // commands wait for it.
    h.estaBorrando = [] {
        return (paraBorrarLoaded() && paraBorrar().EstaBorrando) || (recuperarLoaded() && recuperar().busy());
    };
    h.toggleParaBorrar = [] {
        ParaBorrar &w = paraBorrar();
        w.setVisible(!w.isVisible());
        if (w.isVisible())
            w.raise();
    };
    h.copiarListBorrados = [] { paraBorrar().tomarLista(); };
    h.unusedListChanged = [] {
        if (paraBorrarLoaded())
            paraBorrar().tomarLista();
    };
    h.showRecuperar = [] {
        Recuperar &w = recuperar();
        w.show();
        w.raise();
    };
    h.unloadRecuperar = [] { unloadRecuperar(); };
    h.unloadFormMedia = [] { unloadFormMedia(); };
    // A player that is not loaded plays nothing: it is not loaded just to be
    // stopped (loaded in the middle of an analysis it would not read the
    // user's settings).
    h.stopPlayer = [] {
        if (!formMediaLoaded())
            return;
        FormMedia &w = formMedia();
        w.WM->stop();
        w.WM->clearPlaylist();
    };
    h.stopPlayback = [] {
        if (formMediaLoaded())
            formMedia().WM->stop();
    };
    h.togglePlayer = [] {
        FormMedia &w = formMedia();
        w.setVisible(!w.isVisible());
        if (w.isVisible()) {
            w.raise();
            if (w.ListPlay->count() > 0 && w.ListPlay->item(0)->text().isEmpty())
                w.ListPath->hide();
        }
    };
    h.playerVisible = [] { return formMediaLoaded() && formMedia().isVisible(); };
    h.focusPlayer = [] {
        FormMedia &w = formMedia();
        w.raise();
        w.activateWindow();
    };
    h.movePlayer = [](int leftTwips, int topTwips) {
        FormMedia &w = formMedia();
        w.move(WindowPlace::reachable(QPoint(leftTwips / 15, topTwips / 15), w.size()));
    };
    h.playerVolume = [] { return formMedia().WM->volume(); };
    h.setPlayerVolume = [](int volume) { formMedia().WM->setVolume(volume); };
    h.playerState = []() -> std::optional<Peers::PlayerState> {
        if (!formMediaLoaded() || !formMedia().settingsRestored())
            return std::nullopt;
        FormMedia &w = formMedia();
        return Peers::PlayerState{w.WM->volume(), w.CheckToolTip->isChecked() ? 1 : 0, w.x() * 15, w.y() * 15};
    };
    h.playAudio = [](const QString &audio) { formMedia().playFile(audio); };
    h.setPlayerVisible = [](bool visible) { formMedia().setVisible(visible); };
    h.copiarAlPlayer = [](QListWidget *list, const QString &tipo) { formMedia().CopiarListas(list, tipo); };
    FormMediaHooks &m = formMediaHooks();
    m.decoding = [] { return form1Loaded() && form1().Decoding; };
    m.setBuscado = [](const QString &file) { form1().Buscado = file; };
    m.infoAudio = [](const QString &ext) { form1().InfoAudio(ext); };
    m.playAudio = [](const QString &audio) { form1().PlayAudio(audio); };
    h.audioInfo = [](const QString &ext, const QString &file) -> std::optional<QString> {
        if (ext == QStringLiteral("wav"))
            return AudioInfo::InfoWav(file);
        if (ext == QStringLiteral("mp3"))
            return AudioInfo::InfoMp3(file);
        return std::nullopt;
    };
    // The questions of the file operations go to the message dialog; closing
    // it answers with the last (cautious) button.
    Ask::setFunction([](const QString &title, const QString &text, const QStringList &buttons) {
        return CuadroMensaje::ask(title, text, buttons, QApplication::activeWindow());
    });
}

void start(const QStringList &arguments, bool show)
{
    Q_UNUSED(arguments);
    Form1 &f = form1();
    f.Inicio();
    if (show)
        f.Form_Load(arguments);
}

} // namespace App
