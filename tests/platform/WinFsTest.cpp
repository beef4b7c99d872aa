#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"
#include "tests/support/LibraryTest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using WinFsTest = LibraryTest;

TEST_F(WinFsTest, NormalFilesHiddenFoldersAndCase)
{
    Fixtures::writeFile(dir.path() + "/Audio/guitar.wav", "x");
    Fixtures::writeFile(dir.path() + "/Audio/.hidden.wav", "x");
    QDir().mkpath(dir.path() + "/Audio/Takes.wav");
    EXPECT_TRUE(WinFs::findNormalFile("D:\\Audio\\guitar.wav"));
    EXPECT_TRUE(WinFs::findNormalFile("D:\\AUDIO\\GUITAR.WAV"));
    EXPECT_EQ(WinFs::hostPath("D:\\AUDIO\\GUITAR.WAV"), dir.path() + "/Audio/guitar.wav");
    EXPECT_FALSE(WinFs::findNormalFile("D:\\Audio\\.hidden.wav"));
    EXPECT_FALSE(WinFs::findNormalFile("D:\\Audio\\Takes.wav"));
    EXPECT_TRUE(WinFs::isDirectory("D:\\Audio\\Takes.wav"));
    EXPECT_EQ(WinFs::fileSize("D:\\Audio\\guitar.wav"), 1);
    EXPECT_EQ(WinFs::fileSize("D:\\Audio\\none.wav"), -1);
}

TEST_F(WinFsTest, PipesAreNotNormalFiles)
{
    const QByteArray fifo = QFile::encodeName(dir.path() + "/pipe.vip");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_FALSE(WinFs::findNormalFile("D:\\pipe.vip"));
}

TEST_F(WinFsTest, ListingIsSortedCaseBlindAndMarksLinks)
{
    for (const char *n : {"b.wav", "A.wav", "c.wav", "B2.wav"})
        Fixtures::writeFile(dir.path() + "/L/" + n, "x");
    QDir().mkpath(dir.path() + "/L/sub");
    QFile::link(dir.path() + "/L", dir.path() + "/L/loop");
    QStringList names;
    bool loopIsLinkDir = false;
    for (const WinFs::Entry &e : WinFs::listHostDir(dir.path() + "/L")) {
        names << e.name;
        if (e.name == "loop")
            loopIsLinkDir = e.isLink && e.isDir;
    }
    EXPECT_EQ(names, (QStringList{"A.wav", "b.wav", "B2.wav", "c.wav", "loop", "sub"}));
    EXPECT_TRUE(loopIsLinkDir);
    EXPECT_TRUE(WinFs::listHostDir(dir.path() + "/missing").empty());
}

TEST(WindowsNames, OnlyNamesAWindowsPathCanHoldAsTheyAre)
{
    for (const char *ok : {"take.wav", "Canción ñ.wav", "toma [final].wav", ".hidden", "CONSOLA.wav", "COM0.wav",
                           "a.b.c", "x"})
        EXPECT_TRUE(WinFs::isWindowsName(QByteArrayView(ok))) << ok;
    for (const char *bad : {"", "a\\b.wav", "que?.wav", "dos:puntos.wav", "a*b", "a\"b", "a<b", "a>b", "a|b",
                            "a\nb.wav", "tab\t.wav", "fin.", "fin ", "CON", "con.wav", "Com1 .txt", "LPT9",
                            "nul.WAV", "Canci\xf3n.wav", "\xff"})
        EXPECT_FALSE(WinFs::isWindowsName(QByteArrayView(bad))) << bad;
}
