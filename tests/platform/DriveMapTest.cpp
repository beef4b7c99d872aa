#include "platform/DriveMap.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

class DriveMapTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        qunsetenv("VELMAR_DRIVES");
        DriveMap::instance().reload();
    }
};

TEST_F(DriveMapTest, LettersFromWinePrefixAndEnvironment)
{
    QTemporaryDir wine, audio, other;
    QDir().mkpath(wine.path() + "/dosdevices");
    QFile::link(audio.path(), wine.path() + "/dosdevices/d:");
    qputenv("WINEPREFIX", wine.path().toLocal8Bit());
    qputenv("VELMAR_DRIVES", ("E=" + other.path()).toLocal8Bit());
    DriveMap &m = DriveMap::instance();
    m.reload();
    EXPECT_EQ(m.toHost("D:\\Takes\\a.wav"), audio.path() + "/Takes/a.wav");
    EXPECT_EQ(m.toHost("d:\\Takes\\a.wav"), audio.path() + "/Takes/a.wav");
    EXPECT_EQ(m.toHost("E:\\x"), other.path() + "/x");
    EXPECT_EQ(m.toHost("Z:\\etc\\hosts"), "/etc/hosts");
    EXPECT_EQ(m.toHost("Q:\\nothing"), QString());
    EXPECT_EQ(m.toHost("relative\\path"), QString());
    EXPECT_EQ(m.toWindows(audio.path() + "/Takes/a.wav"), "D:\\Takes\\a.wav");
    EXPECT_EQ(m.toWindows(audio.path()), "D:\\");
    EXPECT_EQ(m.toWindows("/etc/hosts"), "Z:\\etc\\hosts");
}

TEST_F(DriveMapTest, EnvironmentOverridesAndRemovesZ)
{
    qputenv("VELMAR_DRIVES", "Z=;D=/srv/audio/");
    DriveMap::instance().reload();
    EXPECT_EQ(DriveMap::instance().toHost("Z:\\etc"), QString());
    EXPECT_EQ(DriveMap::instance().toHost("D:\\a"), "/srv/audio/a");
    EXPECT_EQ(DriveMap::instance().toWindows("/etc/hosts"), QString());
}

TEST_F(DriveMapTest, PathsAreCollapsedWithinTheirDriveAndANulIsRefused)
{
    const struct
    {
        const char *in;
        const char *out;
    } cases[] = {
        {"D:\\X\\Proj\\..\\..\\..\\..\\outside\\precious.wav", "D:\\outside\\precious.wav"},
        {"D:\\a\\.\\b\\..\\c.wav", "D:\\a\\c.wav"},
        {"D:/a/b/", "D:\\a\\b\\"},
        {"D:\\..", "D:\\"},
        {"d:\\A\\\\B", "d:\\A\\B"},
        {"D:", "D:\\"},
        {"D:relative", ""},
        {"\\\\server\\share", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DriveMap::collapse(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(DriveMap::collapse(QString("D:\\a") + QChar(0) + "\\b.wav"), QString());

    qputenv("VELMAR_DRIVES", "D=/srv/audio");
    DriveMap::instance().reload();
    EXPECT_EQ(DriveMap::instance().toHost("D:\\X\\..\\..\\..\\etc\\passwd"), "/srv/audio/etc/passwd");
    EXPECT_EQ(DriveMap::instance().toHost(QString("D:\\a") + QChar(0) + ".wav"), QString());
}

TEST_F(DriveMapTest, HostPathsAreTheCollapsedPathBelowTheRoot)
{
    // The host path of any text is its collapsed path below its drive's
    // root, whatever shortcut the conversion takes for plain paths.
    qputenv("VELMAR_DRIVES", "D=/srv/audio;E=/");
    DriveMap::instance().reload();
    auto reference = [](const QString &w) -> QString {
        const QString c = DriveMap::collapse(w);
        if (c.isEmpty())
            return {};
        const QString r = DriveMap::instance().root(c[0]);
        if (r.isEmpty())
            return {};
        QString rest = c.mid(3);
        rest.replace(u'\\', u'/');
        if (rest.isEmpty())
            return r;
        return r == "/" ? "/" + rest : r + "/" + rest;
    };
    const QStringList pieces = {"D", "d", "E", "Q", ":", "\\", "\\", "\\", "/", ".", "..", "a", "Toma 1.wav", "ñ",
                                QString(QChar(0)), " "};
    QRandomGenerator rng(7);
    for (int i = 0; i < 20000; ++i) {
        QString w;
        if (rng.bounded(4) != 0)
            w = QStringList{"D:\\", "d:\\", "E:\\", "Q:\\", "D:"}[rng.bounded(5)];
        const int n = int(rng.bounded(7));
        for (int k = 0; k < n; ++k)
            w += pieces[rng.bounded(int(pieces.size()))];
        ASSERT_EQ(DriveMap::instance().toHost(w), reference(w)) << qPrintable(w);
    }
}
