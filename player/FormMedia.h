#pragma once

#include "services/SingleWindow.h"

#include <QString>
#include <QWidget>

class Class1;
class MediaPlayer;
class QCheckBox;
class QLabel;
class QListWidget;
class QMimeData;
class QScrollBar;
class QTimer;
namespace Peers { class PlayerWindow; }

// The player window: the media player control `WM` and the playlist
// `ListPlay`, filled by drops from the file manager and by copies from the
// result lists, in blocks headed by separator lines.
class FormMedia final : public QWidget
{
    Q_OBJECT

public:
    FormMedia();
    ~FormMedia() override;

    // Public state other windows read and write.
    QString Dato;  // the now-playing line
    QString sFile; // the file chosen for audition
    QString msg;   // the WAVE information text

    // Empties the playlist and writes the help text.
    void ResetPlayer();

    // Copies the selected audio lines of `lista` into the playlist as one
    // block headed by "Copiado de <tipo>"; over existing blocks it first asks
    // whether to replace them, add below them or cancel.
    void CopiarListas(QListWidget *lista, const QString &tipo);

    // Loads an existing file into the control, writes the now-playing line
    // and starts playback and the position display. An empty or missing
    // path changes nothing.
    void PlayAudio(const QString &audio);

    // Handlers, public so that the other windows and the tests can run them
    // as the events do.
    void Form_Load();
    void CheckToolTip_Click();
    void HScroll4_Scroll();
    void ListPlay_Click();
    void ListPlay_MouseDown(Qt::MouseButton button);
    void ListPlay_MouseUp();
    void ListPlay_MouseMove(const QPoint &pos);
    void ListPath_MouseMove();
    void ListPlay_KeyDown(int KeyCode);
    // A drop of `data` at `pos` (viewport coordinates of the playlist).
    void ListPlay_OLEDragDrop(const QMimeData *data, const QPoint &pos);
    void TimerPlay_Timer();
    void WM_MouseMove();

    // True when the window's start-up read the stored settings (it does not
    // while an analysis runs); only then does it store them again.
    bool settingsRestored() const { return m_restored; }

    // The line selected in the playlist, -1 for none.
    int ListIndex() const;

    // The information balloon of the playlist.
    QString tipTitle() const;
    QString tipText() const;

    // Controls, named as the program names them.
    MediaPlayer *WM = nullptr;
    QListWidget *ListPlay = nullptr;
    QListWidget *ListPath = nullptr;
    QLabel *LabelTime = nullptr;
    QTimer *TimerPlay = nullptr;
    QLabel *LabelIndex = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *LabelSample = nullptr;
    QLabel *ImageICO = nullptr;
    QCheckBox *CheckToolTip = nullptr;
    QScrollBar *HScroll4 = nullptr;
    QLabel *Label1 = nullptr;
    Class1 *TipPlay = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Unload();
    void ItemToolTip(QListWidget *list, const QString &file);
    void setBlockLook();
    void setHelpLook();
    void addLine(const QString &line);
    QString firstLine() const;
    QStringList lines() const;
    void bringToFront();
    int askCopy(const QString &text);

    bool m_asking = false; // a copy question is open: no second drop or copy
    bool m_closing = false;
    bool m_restored = false;
};

// The one player window, created hidden on first use.
inline FormMedia &formMedia() { return SingleWindow<FormMedia>::get(); }
inline bool formMediaLoaded() { return SingleWindow<FormMedia>::loaded(); }
// Unloads the window (it saves its settings); nothing when it is not loaded.
inline void unloadFormMedia() { SingleWindow<FormMedia>::close(); }
// The player window as the windows below it in the build reach it.
Peers::PlayerWindow &formMediaPeer();
