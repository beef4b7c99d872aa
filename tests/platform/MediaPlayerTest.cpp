#include "platform/MediaPlayer.h"

#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"

#include "tests/support/LibraryTest.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The control drives real playback of generated files (on a machine without
// sound it runs silently on its clock); names hold characters a URL would
// mangle.
class MediaPlayerWindow : public LibraryTest
{
protected:
    // A mono 16-bit tone of the given length.
    static QByteArray wave(int ms) { return Fixtures::wavBytes(8000, 1, 16, 8 * ms, Fixtures::WavFormat::Pcm, true); }

    // Loads as the program does: clear, count, add, insert at the count.
    static void load(MediaPlayer &wm, const QString &path)
    {
        wm.clearPlaylist();
        const int n = wm.playlistCount();
        const MediaPlayer::Media m = wm.addToCollection(path);
        wm.insertItem(n, m);
    }

};

} // namespace

TEST_F(MediaPlayerWindow, PlaysAGeneratedWaveAndThePositionAdvances)
{
    const QString path = put(QStringLiteral("Tomas #1/Voz ñ [v2] 100%.wav"), wave(8000));
    MediaPlayer wm;
    EXPECT_EQ(wm.playlistCount(), 0);
    EXPECT_EQ(wm.currentPositionString(), "");
    EXPECT_FALSE(wm.status().contains("/segundo"));

    load(wm, path);
    EXPECT_EQ(wm.playlistCount(), 1);
    EXPECT_EQ(wm.sourceURL(), path);
    EXPECT_EQ(wm.durationString(), "00:08");
    EXPECT_FALSE(wm.isPlaying());

    wm.play();
    ASSERT_TRUE(wm.isPlaying()) << wm.status().toStdString();
    EXPECT_TRUE(wm.status().contains("/segundo")) << wm.status().toStdString();
    EXPECT_EQ(wm.currentPositionString(), "00:00");
    // A sound device may start late; the clock of a silent playback does not.
    ASSERT_TRUE(QTest::qWaitFor([&] { return wm.currentPositionString() != "00:00"; }, 6000));
    EXPECT_TRUE(wm.isPlaying());
    EXPECT_EQ(wm.currentPositionString().left(4), "00:0");
    EXPECT_GE(wm.positionMs(), 1000);
    EXPECT_TRUE(wm.status().contains("/segundo"));

    wm.stop();
    EXPECT_FALSE(wm.isPlaying());
    EXPECT_FALSE(wm.status().contains("/segundo"));
    EXPECT_EQ(wm.currentPositionString(), "");
    wm.stop(); // harmless when nothing plays
    EXPECT_EQ(wm.sourceURL(), path);
    EXPECT_EQ(wm.playlistCount(), 1);

    // Play again starts from the start.
    wm.play();
    EXPECT_TRUE(wm.isPlaying());
    EXPECT_EQ(wm.currentPositionString(), "00:00");
    wm.stop();
}

TEST_F(MediaPlayerWindow, ReachesTheEndOfTheMediaAndStops)
{
    const QString path = put(QStringLiteral("corto.wav"), wave(400));
    MediaPlayer wm;
    load(wm, path);
    wm.play();
    ASSERT_TRUE(wm.isPlaying());
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !wm.isPlaying(); }, 5000));
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_EQ(wm.state(), MediaPlayer::State::Ended);
    EXPECT_FALSE(wm.status().contains("/segundo"));
    EXPECT_EQ(wm.currentPositionString(), "");
}

TEST_F(MediaPlayerWindow, ANewItemReplacesTheCurrentOneAndClearForgetsIt)
{
    const QString a = put(QStringLiteral("a.wav"), wave(3000));
    const QString b = put(QStringLiteral("b.WAV"), wave(2000));
    MediaPlayer wm;
    load(wm, a);
    wm.play();
    ASSERT_TRUE(wm.isPlaying());

    load(wm, b);
    EXPECT_FALSE(wm.isPlaying());
    EXPECT_EQ(wm.playlistCount(), 1);
    EXPECT_EQ(wm.sourceURL(), b);
    EXPECT_EQ(wm.durationString(), "00:02");
    wm.play();
    EXPECT_TRUE(wm.isPlaying());

    wm.clearPlaylist();
    EXPECT_FALSE(wm.isPlaying());
    EXPECT_EQ(wm.playlistCount(), 0);
    EXPECT_EQ(wm.sourceURL(), "");
    EXPECT_EQ(wm.durationString(), "");
    wm.play(); // nothing to play
    EXPECT_FALSE(wm.isPlaying());
}

TEST_F(MediaPlayerWindow, VolumeIsReadBackUnchanged)
{
    MediaPlayer wm;
    EXPECT_EQ(wm.volume(), 50);
    for (int v : {0, 37, 100, 150, -5, 50}) {
        wm.setVolume(v);
        EXPECT_EQ(wm.volume(), v);
    }
    // Set before anything was loaded, kept after a load.
    wm.setVolume(73);
    load(wm, put(QStringLiteral("v.wav"), wave(500)));
    EXPECT_EQ(wm.volume(), 73);
}

TEST_F(MediaPlayerWindow, FilesThatCannotPlayGiveAnErrorStateNeverAHang)
{
    const QStringList bad = {
        put(QStringLiteral("texto renombrado.wav"), "Esto es un texto, no un audio.\r\n"),
        put(QStringLiteral("vacio.wav"), QByteArray()),
        put(QStringLiteral("ruido.mp3"), Fixtures::noise(4096, 7)),
        put(QStringLiteral("cabecera rota.wav"), wave(1000).left(30)),
        QStringLiteral("D:\\no existe.wav"),
        QStringLiteral("Q:\\sin unidad.wav"),
    };
    MediaPlayer wm;
    for (const QString &path : bad) {
        SCOPED_TRACE(path.toStdString());
        QElapsedTimer t;
        t.start();
        load(wm, path);
        EXPECT_EQ(wm.sourceURL(), path);
        wm.play();
        QTest::qWait(150);
        EXPECT_LT(t.elapsed(), 3000);
        if (wm.state() == MediaPlayer::State::Failed) {
            EXPECT_TRUE(wm.status().startsWith("Error: ")) << wm.status().toStdString();
            EXPECT_EQ(wm.durationString(), "");
            EXPECT_FALSE(wm.isPlaying());
            EXPECT_EQ(wm.currentPositionString(), "");
        } else {
            // A damaged header the decoder still accepts plays its few
            // bytes and ends by itself.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !wm.isPlaying(); }, 3000));
        }
        wm.stop();
    }
    for (int i : {0, 1, 4, 5}) {
        load(wm, bad[i]);
        EXPECT_EQ(wm.state(), MediaPlayer::State::Failed) << bad[i].toStdString();
    }
    // A good file plays after the bad ones.
    load(wm, put(QStringLiteral("bueno.wav"), wave(2000)));
    wm.play();
    EXPECT_TRUE(wm.isPlaying());
    EXPECT_TRUE(wm.status().contains("/segundo"));
    wm.stop();
}

TEST_F(MediaPlayerWindow, MouseMoveIsReportedAndTheMenuFlagIsKept)
{
    MediaPlayer wm;
    wm.resize(300, 40);
    wm.show();
    QSignalSpy moved(&wm, &MediaPlayer::mouseMoved);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), wm.mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&wm, &move);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_TRUE(wm.enableContextMenu());
    wm.setEnableContextMenu(false);
    EXPECT_FALSE(wm.enableContextMenu());
}

TEST_F(MediaPlayerWindow, TimeTexts)
{
    EXPECT_EQ(MediaPlayer::timeText(0), "00:00");
    EXPECT_EQ(MediaPlayer::timeText(999), "00:00");
    EXPECT_EQ(MediaPlayer::timeText(61000), "01:01");
    EXPECT_EQ(MediaPlayer::timeText(3599000), "59:59");
    EXPECT_EQ(MediaPlayer::timeText(3600000 + 5000), "1:00:05");
    EXPECT_EQ(MediaPlayer::timeText(-5), "00:00");
}
