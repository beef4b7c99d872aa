#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class QAudioOutput;
class QFile;
class QLabel;
class QMediaPlayer;
class QSlider;
class QTimer;
class QToolButton;

// The media player control of the player window: a playlist of one, play
// and stop, the duration, position and status texts, and the volume. It
// also shows its own small bar (play, stop, position, volume).
//
// Paths are given as the program keeps them (Windows paths, or absolute host
// paths) and are opened through the drive map; `sourceURL()` gives back the
// path exactly as it was given.
//
// On a machine without an audio output device the file is still decoded (its
// duration and whether it can be played are known) and "played" silently:
// the position runs on a clock from the decoded duration, so the texts,
// the end of the media and every caller behave as with sound. The same
// happens when a device exists but its playback does not advance.
class MediaPlayer final : public QWidget
{
    Q_OBJECT

public:
    // What the media collection gives for a path: the item the playlist
    // takes.
    struct Media
    {
        QString sourceURL;
    };

    enum class State { Empty, Ready, Playing, Stopped, Ended, Failed };

    explicit MediaPlayer(QWidget *parent = nullptr);
    ~MediaPlayer() override;

    // The volume: any whole number is kept and read back unchanged; the
    // sound uses it bounded to 0..100.
    int volume() const { return m_volume; }
    void setVolume(int volume);

    // Whether a right click offers the control's own menu.
    bool enableContextMenu() const { return m_enableContextMenu; }
    void setEnableContextMenu(bool enable) { m_enableContextMenu = enable; }

    // The media collection: the item for a full path (nothing is opened yet).
    Media addToCollection(const QString &path) const;

    // The current playlist. Inserting an item makes it the current media and
    // loads it (stopping what played); clearing stops playback and leaves no
    // current media.
    void clearPlaylist();
    int playlistCount() const { return int(m_items.size()); }
    void insertItem(int index, const Media &media);

    // The current media: its duration as "mm:ss" ("h:mm:ss" from one hour;
    // "" when nothing is loaded or it cannot be played) and its path exactly
    // as it was given ("" when there is none).
    QString durationString() const;
    QString sourceURL() const { return m_current.sourceURL; }

    // Start the current media from the start (nothing happens when it is
    // already playing, when there is none, or when it cannot be played);
    // stop it (harmless when nothing plays).
    void play();
    void stop();

    // The playing position as "mm:ss" ("" while nothing plays).
    QString currentPositionString() const;

    // "Reproduciendo: <n> Kbits/segundo" while playing, followed by
    // " (sin salida de audio)" while it plays on the clock; "Listo",
    // "Detenido", "Finalizado" or "Error: ..." otherwise.
    QString status() const;

    State state() const { return m_state; }
    bool isPlaying() const { return m_state == State::Playing; }
    qint64 positionMs() const;
    // True while the current playback runs on the clock, without sound.
    bool silent() const { return m_silent; }

    // "mm:ss", or "h:mm:ss" from one hour on.
    static QString timeText(qint64 ms);

Q_SIGNALS:
    // The mouse moved over the control (or one of its parts).
    void mouseMoved();
    void stateChanged();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ensurePlayer();
    void load(const QString &path);
    void unload();
    void fail(const QString &reason);
    void setState(State state);
    void tick();
    void finish();
    void showPosition();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_audio = nullptr;
    std::unique_ptr<QFile> m_file;
    QTimer *m_tick = nullptr;
    QElapsedTimer m_clock; // time since play() (silent position and stall check)

    QList<Media> m_items;
    Media m_current;
    State m_state = State::Empty;
    QString m_error;
    qint64 m_durationMs = 0;
    qint64 m_fileSize = 0;
    int m_bitRate = 0; // bits per second as the decoder tells it; 0 unknown
    int m_volume = 50;
    bool m_enableContextMenu = true;
    bool m_silent = false;
    bool m_loading = false;

    QToolButton *m_playButton = nullptr;
    QToolButton *m_stopButton = nullptr;
    QSlider *m_positionBar = nullptr;
    QLabel *m_timeLabel = nullptr;
    QSlider *m_volumeBar = nullptr;
};
