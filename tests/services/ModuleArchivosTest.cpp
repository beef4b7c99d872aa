#include "services/ModuleArchivos.h"

#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "platform/WinPattern.h"
#include "tests/support/Fixtures.h"

#include "tests/support/LibraryTest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

namespace {

class Listing : public LibraryTest
{
protected:
    Listing() : LibraryTest('C') {}

    void file(const QString &rel) { write(rel, "x"); }
    void folder(const QString &rel) { ASSERT_TRUE(QDir().mkpath(host(rel))); }
    QStringList list(const QString &folder, const QString &pattern)
    {
        QStringList out;
        ModuleArchivos::BuscarArchivos(folder, pattern, out);
        return out;
    }
    // The inventory of one walk with several patterns, as the analysis takes it.
    ModuleArchivos::Inventory inventory(const QString &folder, const QStringList &patterns)
    {
        ModuleArchivos::Inventory inv;
        ModuleArchivos::BuscarArchivos(folder, patterns, inv, nullptr);
        return inv;
    }
};

QStringList linesOf(const ModuleArchivos::Inventory &inv)
{
    QStringList out;
    for (const ModuleArchivos::Inventory::Entry &e : inv.entries)
        out << e.line;
    return out;
}

QSet<QString> foldersOf(const ModuleArchivos::Inventory &inv)
{
    QSet<QString> out;
    for (const ModuleArchivos::Inventory::Entry &e : inv.entries)
        if (e.isFolder)
            out.insert(e.line);
    return out;
}

} // namespace

TEST_F(Listing, WalksDepthFirstInPreOrder)
{
    file("P/z.wav");
    file("P/a.wav");
    file("P/Sub/b.wav");
    file("P/Sub/Deep/c.wav");
    file("P/Sub/notes.txt");
    file("P/Other/d.WAV");
    const QStringList expected = {"C:\\P\\a.wav", "C:\\P\\z.wav", "C:\\P\\Other\\d.WAV", "C:\\P\\Sub\\b.wav",
                                  "C:\\P\\Sub\\Deep\\c.wav"};
    EXPECT_EQ(list("C:\\P\\", "*.wav"), expected);
    EXPECT_EQ(list("C:\\P", "*.wav"), expected) << "a folder without its trailing \\ lists the same";
    // The folder is found whatever its letter case, and kept as given.
    EXPECT_EQ(list("c:\\p", "*.wav").replaceInStrings("c:\\p\\", "C:\\P\\"), expected);
}

TEST_F(Listing, AppendsFoldersNamedLikeThePatternAndStillWalksThem)
{
    file("P/Takes.wav/inner.wav");
    const ModuleArchivos::Inventory inv = inventory("C:\\P\\", QStringList{"*.wav"});
    EXPECT_EQ(linesOf(inv), (QStringList{"C:\\P\\Takes.wav", "C:\\P\\Takes.wav\\inner.wav"}));
    EXPECT_EQ(foldersOf(inv), QSet<QString>{"C:\\P\\Takes.wav"});
    EXPECT_EQ(list("C:\\P\\", "*.wav"), linesOf(inv)) << "the single-pattern listing gives the same lines";
}

TEST_F(Listing, MissingEmptyAndUnmappedFoldersGiveNothing)
{
    folder("Empty");
    EXPECT_TRUE(list("C:\\Empty\\", "*.wav").isEmpty());
    EXPECT_TRUE(list("C:\\Nowhere\\", "*.wav").isEmpty());
    EXPECT_TRUE(list("Q:\\Audio\\", "*.wav").isEmpty());
    file("P/a.wav");
    EXPECT_TRUE(list("C:\\P\\a.wav", "*.wav").isEmpty()) << "a file is not a folder";
}

TEST_F(Listing, ThreeCharacterExtensionsListLongerOnesAndCaseIsIgnored)
{
    file("P/take.flac");
    file("P/TAKE2.FLAC");
    file("P/take.fla");
    file("P/take.flaky.txt");
    file("P/x.h2");
    file("P/x.h2x");
    EXPECT_EQ(list("C:\\P", "*.fla"), (QStringList{"C:\\P\\take.fla", "C:\\P\\take.flac", "C:\\P\\TAKE2.FLAC"}));
    EXPECT_EQ(list("C:\\P", "*.h2"), QStringList{"C:\\P\\x.h2"}) << "two-character extensions match exactly";
}

TEST_F(Listing, DotFilesNonAsciiNamesAndLinks)
{
    file("P/.hidden.wav");
    file("P/Canción ñ.wav");
    file("Elsewhere/far.wav");
    ASSERT_TRUE(QFile::link(dir.path() + "/Elsewhere", dir.path() + "/P/link"));
    ASSERT_TRUE(QFile::link(dir.path() + "/P", dir.path() + "/P/loop.wav"));
    const ModuleArchivos::Inventory inv = inventory("C:\\P", QStringList{"*.wav"});
    const QStringList out = linesOf(inv);
    // Hidden files are listed like any other; links to folders are listed
    // when their name matches but never walked (a loop must not hang).
    EXPECT_EQ(out, (QStringList{"C:\\P\\.hidden.wav", "C:\\P\\Canción ñ.wav", "C:\\P\\loop.wav"}));
    EXPECT_TRUE(foldersOf(inv).contains("C:\\P\\loop.wav"));
}

TEST_F(Listing, ManyPatternsInOneWalkEqualOneWalkPerPattern)
{
    QRandomGenerator rng(7);
    const QStringList exts = {"wav", "WAV", "h2", "hdp", "flac", "fla", "mp3", "cue", "txt", "hz", "hs"};
    for (int i = 0; i < 300; ++i) {
        QString rel = "P";
        const int depth = int(rng.bounded(4));
        for (int d = 0; d < depth; ++d)
            rel += "/d" + QString::number(rng.bounded(3));
        file(rel + "/f" + QString::number(i) + u'.' + exts[rng.bounded(int(exts.size()))]);
    }
    const QStringList patterns = {"*.wav", "*.h2", "*.hdp", "*.fla", "*.mp3", "*.cue", "*.hz", "*.hs", "f1*.*"};
    const QStringList one = linesOf(inventory("C:\\P", patterns));
    QStringList each;
    for (const QString &p : patterns)
        each << list("C:\\P", p);
    EXPECT_EQ(one, each);
    EXPECT_GT(one.size(), 250);
}

TEST(ListingPatterns, FastExtensionTestAgreesWithTheGeneralMatcher)
{
    // Every name listed by the single walk must be one the general matcher
    // accepts, and no other.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("VELMAR_DRIVES", ("C=" + dir.path()).toLocal8Bit());
    DriveMap::instance().reload();
    const QStringList names = {"a.wav", "a.WAV", "a.wave", "a.wa",  "wav",   ".wav",   "a.wav.txt", "a..wav",
                               "a.h2",  "a.h2x", "a.fla",  "b.flac", "c.FLAC", "d.flaX", "a.b.flac", "e.fl",
                               "a.hz",  "x.hzz", "noext",  "a.cue1", "a.m4a",  "a.M4A"};
    for (const QString &n : names)
        ASSERT_TRUE(Fixtures::writeFile(dir.path() + "/F/" + n, "x"));
    for (const char *pattern : {"*.wav", "*.h2", "*.fla", "*.hz", "*.cue", "*.m4a"}) {
        QStringList out;
        ModuleArchivos::BuscarArchivos("C:\\F", QString(pattern), out);
        QSet<QString> listed;
        for (const QString &l : out)
            listed.insert(l.mid(5));
        for (const QString &n : names)
            EXPECT_EQ(listed.contains(n), WinPattern::matches(pattern, n)) << qPrintable(pattern) << " " << qPrintable(n);
    }
}

TEST(ListingNulls, QuitarNulosCutsAtTheFirstNul)
{
    QString s = QString("take.wav") + QChar(0) + "rest";
    EXPECT_EQ(ModuleArchivos::QuitarNulos(s), "take.wav");
    EXPECT_EQ(s, "take.wav");
    QString plain = "a.wav";
    EXPECT_EQ(ModuleArchivos::QuitarNulos(plain), "a.wav");
}

TEST_F(Listing, VeryDeepTreesAreWalkedToTheBottom)
{
    QString rel = "P";
    for (int i = 0; i < 200; ++i)
        rel += "/d";
    file(rel + "/bottom.wav");
    const QStringList out = list("C:\\P", "*.wav");
    ASSERT_EQ(out.size(), 1);
    EXPECT_TRUE(out[0].endsWith("\\d\\bottom.wav"));
}
