#pragma once

#include "platform/Settings.h"

#include <QString>
#include <QStringList>

class Progress;

#include <climits>
#include <memory>
#include <optional>
#include <vector>

struct Analysis;
class QListWidget;
class QPoint;

// The windows above the main window in the build (the player, the deletion
// and restore windows, the associated-files window) build on it, so the main
// window and its small windows cannot call them directly. Each is reached
// through the small interface below, implemented in that window's own
// library (or, for a window not built yet, by the application) and
// installed once by App::setup before the main window is made.
namespace Peers {

// What the main window stores of the player window when it shuts down.
struct PlayerState
{
    int volume = 0;
    int checkToolTip = 0;
    int leftTwips = 0;
    int topTwips = 0;
};

// The player window `FormMedia` and its media player control `WM`. Unless
// said otherwise a call loads the window, hidden, when it is not loaded.
class PlayerWindow
{
public:
    virtual ~PlayerWindow() = default;

    // Unloads the window (it stores its settings); nothing when not loaded.
    virtual void unloadFormMedia() = 0;
    // Stops playback. Nothing when the window is not loaded: it is not
    // loaded just to be stopped (loaded in the middle of an analysis it
    // would not read the user's settings).
    virtual void stop() = 0;
    // Stops playback and empties the control's playlist; nothing when the
    // window is not loaded.
    virtual void stopAndClear() = 0;
    // False when the window is not loaded.
    virtual bool isVisible() = 0;
    virtual void setVisible(bool visible) = 0;
    // Shows the window when hidden, hides it when shown; shown over its help
    // text alone, its now-playing line is hidden.
    virtual void toggleVisible() = 0;
    // To the front, as the active window.
    virtual void focus() = 0;
    // To its stored place ("Player_Left", "Player_Top"), kept where the
    // user can reach it; with none stored, beside the main window.
    virtual void toStoredPlace() = 0;
    virtual int volume() = 0;
    virtual void setVolume(int volume) = 0;
    // The state of a loaded window that read the user's settings; nothing
    // otherwise (nothing is loaded to answer).
    virtual std::optional<PlayerState> state() = 0;
    // The selected audio lines of `lista` into the playlist as one block
    // headed by "Copiado de <tipo>".
    virtual void CopiarListas(QListWidget *lista, const QString &tipo) = 0;
    // Shows `caption` (the number of the playlist line under the mouse) in
    // the window's label `LabelIndex`.
    virtual void setLabelIndex(const QString &caption) = 0;
    // Loads an existing file into the control and plays it; "" or a missing
    // file changes nothing.
    virtual void PlayAudio(const QString &audio) = 0;
};

// The player window's settings: it reads them when it loads and stores them
// when it unloads; the main window places it by them and stores them again
// at shut-down.
namespace PlayerKeys {
inline constexpr Settings::IntKey Volumen{{"FormMediaVolumen"}, 50, INT_MIN, INT_MAX};
inline constexpr Settings::IntKey ToolTip{{"FormMediaToolTip"}, 0, 0, 1};
inline constexpr Settings::PlaceKeys Place{{{"Player_Left"}, 0}, {{"Player_Top"}, 0}};
} // namespace PlayerKeys

// The deletion window `ParaBorrar`. (Whether its run is on, the windows ask
// Activity::EstaBorrando.)
class DeletionWindow
{
public:
    virtual ~DeletionWindow() = default;

    // Shows the window when hidden (loading it), hides it when shown.
    virtual void toggleVisible() = 0;
    // The unused files the main window offers now: the unused entries of
    // `analysis` less those a deletion removed (`gone`, by index; empty:
    // none). A loaded window takes them at once, shown or hidden, unless a
    // run is on; a window loaded later asks the main window. With
    // `progress`, events run as a long list is taken (the caller keeps every
    // command out meanwhile).
    virtual void unusedListChanged(const std::shared_ptr<const Analysis> &analysis, const std::vector<bool> &gone,
                                   Progress *progress) = 0;
};

// The main window as the windows above it reach it: they are built on top of
// it, so they know it by this alone. Whoever calls it asks mainWindow()
// first: there is none before the main window is made or after it is gone.
class MainWindow
{
public:
    virtual ~MainWindow() = default;

    // The unused entries of analysis `number` (by index) that a deletion
    // removed: they leave the main window's unused list. Nothing when it
    // shows another analysis now.
    virtual void quitarBorrados(quint64 number, const std::vector<qsizetype> &gone) = 0;
    // What the window offers now (as last handed to the deletion window).
    virtual std::shared_ptr<const Analysis> analysisShown() const = 0;
    virtual std::vector<bool> unusedGone() const = 0;

    // True while an analysis of the main window runs (it shows no line
    // numbers and starts no audition meanwhile).
    virtual bool decoding() const = 0;

    // The elapsed-time clock: started (shown, with the player stopped and
    // emptied), its box and caption hidden again, stopped (its time kept),
    // and the time it took as "mm:ss:00".
    virtual void Iniciar_Clock() = 0;
    virtual void hideClock() = 0;
    virtual void Lapso() = 0;
    virtual QString tiempo() const = 0;

    // The status box: colour code 1 to 4 (any other keeps the colour), text,
    // visible flag.
    virtual void Alerta(int color, const QString &texto, bool visible) = 0;
    // A message in the main window's look, with the button "Salir".
    virtual void AvisoMsg(const QString &texto, const QString &mensaje) = 0;

    // The audition: loads a file into the player window and plays it
    // (nothing for "" or a missing file); the file being auditioned; its
    // information text started for an extension; the general balloon on
    // `List` for `cline` (`archivo` being the file found for it).
    virtual void PlayAudio(const QString &audio) = 0;
    virtual void setBuscado(const QString &file) = 0;
    virtual void InfoAudio(const QString &t) = 0;
    virtual void ShowToolTip(QListWidget *List, const QString &cline, const QString &archivo) = 0;
    // The number of the line of `List` under `pos` shown as the main window
    // shows it for its own lists (`lista` "Player": in the player's label).
    virtual void ViewItem(QListWidget *List, const QPoint &pos, const QString &lista) = 0;

    // The project list: how many lines it has, and line `row`'s text.
    virtual int projectCount() const = 0;
    virtual QString projectLine(int row) const = 0;
    // The path list below the status box: hidden, or shown with `lines`.
    virtual void hideListPath() = 0;
    virtual void showInListPath(const QStringList &lines) = 0;

    // The window itself: whether it is shown, minimised, shown normally.
    virtual bool windowShown() const = 0;
    virtual void minimize() = 0;
    virtual void showNormally() = 0;
};

// The restore window `Recuperar`.
class RestoreWindow
{
public:
    virtual ~RestoreWindow() = default;

    // Shows the window (loading it) in front of the others.
    virtual void show() = 0;
};

// The associated-files window `Form2`.
class AssociatedFilesWindow
{
public:
    virtual ~AssociatedFilesWindow() = default;

    // Unloads the window (it stores its settings); nothing when it is not
    // loaded, or while its scan or deletion runs (the main window then
    // starts no analysis and no reset: see Activity::Request).
    virtual void unloadForm2() = 0;
    // Shows the window, not modal, in front of the others. The first showing
    // loads it, and a window that loads while the main window lists
    // projects scans the folder of the first one.
    virtual void show() = 0;
};

// Every window above the main window; none may be left out.
struct Windows
{
    PlayerWindow &player;
    DeletionWindow &deletion;
    RestoreWindow &restore;
    AssociatedFilesWindow &associated;
};

// Every later call goes to these windows (which must outlive the calls).
void install(const Windows &windows);
// Forgets the installed windows (tests, between two of them).
void uninstall();
bool installed();

// The main window, while there is one (nullptr otherwise).
void setMainWindow(MainWindow *window);
MainWindow *mainWindow();

// The installed windows. Called before install(), each ends the program
// with a message: a call that nobody can answer is a fault of the build,
// never something to pass over in silence.
PlayerWindow &player();
DeletionWindow &deletion();
RestoreWindow &restore();
AssociatedFilesWindow &associated();

} // namespace Peers
