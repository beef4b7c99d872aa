#include "platform/MediaPlayer.h"

#include "platform/WinFs.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QContextMenuEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaDevices>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <algorithm>

namespace {

// How often the position is looked at while playing.
constexpr int kTickMs = 100;
// A playback with a device whose position has not moved after this long is
// taken over by the clock.
constexpr qint64 kStallMs = 1500;

// The other multimedia backend of this platform loses its position and its
// end of media on machines without sound; the ffmpeg one does not. It must be
// chosen before the multimedia framework first starts (device queries
// included). A choice made by the user in the environment is kept.
void chooseBackend()
{
    static const bool done = [] {
        if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
            qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        return true;
    }();
    Q_UNUSED(done);
}

bool hasAudioDevice()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

} // namespace

MediaPlayer::MediaPlayer(QWidget *parent)
    : QWidget(parent)
{
    chooseBackend();
    setObjectName(QStringLiteral("WM"));
    setMouseTracking(true);

    m_playButton = new QToolButton(this);
    m_playButton->setObjectName(QStringLiteral("WMPlay"));
    m_playButton->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_stopButton = new QToolButton(this);
    m_stopButton->setObjectName(QStringLiteral("WMStop"));
    m_stopButton->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_positionBar = new QSlider(Qt::Horizontal, this);
    m_positionBar->setObjectName(QStringLiteral("WMPosition"));
    m_positionBar->setEnabled(false);
    m_timeLabel = new QLabel(this);
    m_timeLabel->setObjectName(QStringLiteral("WMTime"));
    m_timeLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00 / 00:00")) + 4);
    auto *volumeIcon = new QLabel(this);
    volumeIcon->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(16, 16));
    m_volumeBar = new QSlider(Qt::Horizontal, this);
    m_volumeBar->setObjectName(QStringLiteral("WMVolume"));
    m_volumeBar->setRange(0, 100);
    m_volumeBar->setValue(m_volume);
    m_volumeBar->setMaximumWidth(80);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->addWidget(m_playButton);
    row->addWidget(m_stopButton);
    row->addWidget(m_positionBar, 1);
    row->addWidget(m_timeLabel);
    row->addWidget(volumeIcon);
    row->addWidget(m_volumeBar);
    for (QWidget *w : findChildren<QWidget *>()) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }

    m_tick = new QTimer(this);
    m_tick->setInterval(kTickMs);
    connect(m_tick, &QTimer::timeout, this, &MediaPlayer::tick);
    connect(m_playButton, &QToolButton::clicked, this, &MediaPlayer::play);
    connect(m_stopButton, &QToolButton::clicked, this, &MediaPlayer::stop);
    connect(m_volumeBar, &QSlider::valueChanged, this, [this](int v) { setVolume(v); });
    showPosition();
}

MediaPlayer::~MediaPlayer()
{
    // The player must let go of the file before the file goes.
    if (m_player) {
        m_player->stop();
        m_player->setSource(QUrl());
    }
}

void MediaPlayer::ensurePlayer()
{
    if (m_player)
        return;
    m_player = new QMediaPlayer(this);
    m_audio = new QAudioOutput(this);
    m_audio->setVolume(float(std::clamp(m_volume, 0, 100)) / 100.0f);
    m_player->setAudioOutput(m_audio);
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString &text) {
        if (error == QMediaPlayer::NoError || m_current.sourceURL.isEmpty())
            return;
        fail(text);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
        if (m_loading)
            return;
        if (s == QMediaPlayer::InvalidMedia)
            fail(QStringLiteral("formato no reconocido"));
        else if (s == QMediaPlayer::EndOfMedia && m_state == State::Playing && !m_silent)
            finish();
    });
    connect(m_player, &QMediaPlayer::durationChanged, this, [this](qint64 d) {
        if (m_state != State::Failed && m_state != State::Empty)
            m_durationMs = std::max<qint64>(0, d);
    });
}

void MediaPlayer::setVolume(int volume)
{
    m_volume = volume;
    if (m_audio)
        m_audio->setVolume(float(std::clamp(volume, 0, 100)) / 100.0f);
    const QSignalBlocker block(m_volumeBar);
    m_volumeBar->setValue(std::clamp(volume, 0, 100));
}

MediaPlayer::Media MediaPlayer::addToCollection(const QString &path) const
{
    return Media{path};
}

void MediaPlayer::clearPlaylist()
{
    stop();
    m_items.clear();
    m_current = Media{};
    unload();
    setState(State::Empty);
}

void MediaPlayer::insertItem(int index, const Media &media)
{
    m_items.insert(std::clamp<qsizetype>(index, 0, m_items.size()), media);
    m_current = media;
    load(media.sourceURL);
}

void MediaPlayer::unload()
{
    m_tick->stop();
    m_silent = false;
    if (m_player) {
        m_player->stop();
        m_player->setSource(QUrl());
    }
    m_file.reset();
    m_durationMs = 0;
    m_fileSize = 0;
    m_bitRate = 0;
    m_error.clear();
    showPosition();
}

void MediaPlayer::load(const QString &path)
{
    unload();
    const QString host = path.startsWith(u'/') ? path : WinFs::hostPath(path);
    if (host.isEmpty()) {
        fail(QStringLiteral("no se encuentra el archivo"));
        return;
    }
    // Opened by us, not by name, so that any character in the name reaches
    // the decoder as it is.
    auto file = std::make_unique<QFile>(host);
    if (!file->open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("no se puede abrir el archivo"));
        return;
    }
    m_fileSize = file->size();
    if (m_fileSize <= 0) {
        fail(QStringLiteral("el archivo está vacío"));
        return;
    }
    ensurePlayer();
    setState(State::Ready);
    m_loading = true;
    m_player->setSourceDevice(file.get(), QUrl::fromLocalFile(host));
    m_file = std::move(file);
    m_loading = false;
    if (m_state == State::Failed)
        return;
    if (m_player->mediaStatus() == QMediaPlayer::InvalidMedia) {
        fail(QStringLiteral("formato no reconocido"));
        return;
    }
    m_durationMs = std::max<qint64>(0, m_player->duration());
    m_bitRate = m_player->metaData().value(QMediaMetaData::AudioBitRate).toInt();
    showPosition();
}

void MediaPlayer::fail(const QString &reason)
{
    m_tick->stop();
    m_silent = false;
    if (m_player && !m_loading)
        m_player->stop();
    m_error = reason;
    m_durationMs = 0;
    setState(State::Failed);
    showPosition();
}

void MediaPlayer::play()
{
    if (m_state == State::Empty || m_state == State::Failed || m_state == State::Playing || !m_player)
        return;
    m_silent = !hasAudioDevice();
    if (!m_silent) {
        m_player->setPosition(0);
        m_player->play();
        if (m_state == State::Failed)
            return;
    }
    m_clock.start();
    m_tick->start();
    setState(State::Playing);
    showPosition();
}

void MediaPlayer::stop()
{
    if (m_state != State::Playing)
        return;
    m_tick->stop();
    if (m_player && !m_silent)
        m_player->stop();
    m_silent = false;
    setState(State::Stopped);
    showPosition();
}

void MediaPlayer::finish()
{
    m_tick->stop();
    if (m_player && !m_silent)
        m_player->stop();
    m_silent = false;
    setState(State::Ended);
    showPosition();
}

void MediaPlayer::tick()
{
    if (m_state != State::Playing)
        return;
    if (!m_silent && m_player->position() == 0 && m_clock.elapsed() >= kStallMs && m_durationMs > kStallMs) {
        // The device takes the data but does not play it: go on without
        // sound, from where the sound would be.
        m_player->stop();
        m_silent = true;
    }
    if (m_silent && m_clock.elapsed() >= m_durationMs) {
        finish();
        return;
    }
    showPosition();
}

qint64 MediaPlayer::positionMs() const
{
    if (m_state != State::Playing)
        return 0;
    if (m_silent)
        return std::min(m_clock.elapsed(), m_durationMs);
    return m_player ? m_player->position() : 0;
}

QString MediaPlayer::timeText(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(0, ms) / 1000;
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds / 60) % 60;
    const qint64 s = seconds % 60;
    const QString mmss = QStringLiteral("%1:%2").arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return h > 0 ? QString::number(h) + u':' + mmss : mmss;
}

QString MediaPlayer::durationString() const
{
    if (m_state == State::Empty || m_state == State::Failed)
        return QString();
    return timeText(m_durationMs + 500);
}

QString MediaPlayer::currentPositionString() const
{
    return m_state == State::Playing ? timeText(positionMs()) : QString();
}

QString MediaPlayer::status() const
{
    switch (m_state) {
    case State::Empty:
    case State::Ready:
        return QStringLiteral("Listo");
    case State::Playing: {
        qint64 bits = m_bitRate;
        if (bits <= 0 && m_durationMs > 0)
            bits = m_fileSize * 8 * 1000 / m_durationMs;
        // Without sound the user is told why nothing is heard.
        return QStringLiteral("Reproduciendo: %1 Kbits/segundo").arg((bits + 500) / 1000)
            + (m_silent ? QStringLiteral(" (sin salida de audio)") : QString());
    }
    case State::Stopped:
        return QStringLiteral("Detenido");
    case State::Ended:
        return QStringLiteral("Finalizado");
    case State::Failed:
        return QStringLiteral("Error: ") + m_error;
    }
    return QString();
}

void MediaPlayer::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

void MediaPlayer::showPosition()
{
    const qint64 pos = positionMs();
    const QSignalBlocker block(m_positionBar);
    m_positionBar->setRange(0, int(std::min<qint64>(m_durationMs, INT_MAX)));
    m_positionBar->setValue(int(std::min<qint64>(pos, INT_MAX)));
    m_timeLabel->setText(m_state == State::Empty || m_state == State::Failed
                             ? QString()
                             : timeText(pos) + QStringLiteral(" / ") + durationString());
}

void MediaPlayer::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT mouseMoved();
    QWidget::mouseMoveEvent(event);
}

bool MediaPlayer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove)
        Q_EMIT mouseMoved();
    return QWidget::eventFilter(watched, event);
}

void MediaPlayer::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_enableContextMenu) {
        event->accept();
        return;
    }
    QMenu menu(this);
    menu.addAction(QStringLiteral("Reproducir"), this, &MediaPlayer::play);
    menu.addAction(QStringLiteral("Detener"), this, &MediaPlayer::stop);
    menu.exec(event->globalPos());
}
