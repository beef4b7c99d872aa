#include "platform/DriveMap.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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
