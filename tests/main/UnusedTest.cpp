#include "main/Unused.h"

#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "services/BuscarPaths.h"
#include "services/ModuleArchivos.h"
#include "tests/support/Fixtures.h"

#include "tests/support/LibraryTest.h"
#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The match exactly as the window's loop states it: for every used line,
// every inventory line from the first, removing a match and examining the
// line that takes its place. Slow (used x inventory) but plainly right.
void referenceRemoveUsed(QStringList &inventory, const QStringList &used)
{
    for (const QString &u : used) {
        if (u.contains(u'>') || u.contains(QStringLiteral("FreezeData")))
            continue;
        qsizetype i = 0;
        while (i < inventory.size()) {
            if (Unused::lineMatches(inventory[i], u))
                inventory.removeAt(i);
            else
                ++i;
        }
    }
}

// Steps 4 and 5 as stated: audio endings, FreezeData, then the pairwise
// duplicate loop.
QStringList referenceUnused(const QStringList &remaining, const QSet<QString> &folders, int *dups)
{
    QStringList out;
    for (const QString &l : remaining) {
        const QString low = l.toLower();
        static const QStringList endings = {".wav", ".aif", ".mp3", ".ogg", "flac", ".wma", ".m4a"};
        if (!endings.contains(low.right(4)) || l.contains("FreezeData") || folders.contains(l))
            continue;
        out << l;
    }
    *dups = 0;
    const qsizetype n = out.size();
    for (qsizetype i = 0; i + 1 < n && i + 1 < out.size(); ++i) {
        for (qsizetype j = out.size() - 1; j > i; --j) {
            if (out[j] == out[i]) {
                out.removeAt(j);
                ++*dups;
            }
        }
    }
    return out;
}

// The lines of inventory entries, in order.
QStringList linesOf(const std::vector<Unused::InventoryEntry> &entries)
{
    QStringList out;
    for (const Unused::InventoryEntry &e : entries)
        out << e.line;
    return out;
}

// The lines the listing saw as folders.
QSet<QString> folderLinesOf(const std::vector<Unused::InventoryEntry> &entries)
{
    QSet<QString> out;
    for (const Unused::InventoryEntry &e : entries)
        if (e.isFolder)
            out.insert(e.line);
    return out;
}

class UnusedFiles : public LibraryTest
{
protected:
    // The inventory of the folders, as the analysis lists it.
    std::vector<Unused::InventoryEntry> inventory(const QStringList &folders)
    {
        ModuleArchivos::Inventory inv;
        for (const QString &folder : folders)
            ModuleArchivos::BuscarArchivos(folder, Unused::patterns(), inv, nullptr);
        return std::move(inv.entries);
    }
    QStringList unusedOf(const QStringList &folders, const QStringList &used)
    {
        std::vector<Unused::InventoryEntry> inv = inventory(folders);
        Unused::Matcher m(used);
        NoProgress none;
        Unused::removeUsed(inv, m, none);
        return linesOf(Unused::unusedAudio(inv, none).lines);
    }
};

} // namespace

TEST_F(UnusedFiles, KeepsUsedFilesCopiesAndMovedTakes)
{
    put("A/Audio/used.wav", "same bytes");
    put("A/Audio/next.wav", "next");
    put("B/used.wav", "same bytes");           // identical copy elsewhere
    put("B/Audio/other.wav", "other");
    put("C/used.wav", "different bytes!!");    // same name, other bytes
    put("C/moved.wav", "was moved here");      // the project's path is missing
    put("C/peaks.h2", "peak");
    put("C/sheet.cue", "cue");
    put("C/old.fla", "fla");
    put("C/keep.aiff", "aiff");
    put("C/FreezeData/frozen.wav", "frozen");
    put("C/song.flac", "flac");
    const QStringList used = {" ", "1 --> " + win("A/a.vip"), " ", win("A/Audio/used.wav"), win("X/moved.wav")};
    const QStringList unused = unusedOf({win("A/"), win("B/"), win("C/")}, used);
    EXPECT_EQ(unused, (QStringList{win("A/Audio/next.wav"), win("B/Audio/other.wav"), win("C/used.wav"),
                                   win("C/song.flac")}));
}

TEST_F(UnusedFiles, KeepsEveryFileNamedAfterAUsedPathFollowedByADot)
{
    // The project may name "x.mp3.wav" by its first part "x.mp3": every take
    // whose path is a used one, a dot and more is kept; no other.
    const struct
    {
        const char *file;
        bool kept;
    } cases[] = {
        {"P/x.mp3.wav", true},    {"P/X.MP3.v2.wav", true}, {"P/x.mp3.1.mp3", true},
        {"P/x.mp3wav.wav", false}, {"P/x.mp3 copia.wav", false}, {"P/Sub/x.mp3.wav", false},
        {"P/y.mp3.wav", false},
    };
    QStringList offered;
    for (const auto &c : cases) {
        put(c.file, c.file);
        if (!c.kept)
            offered << win(c.file);
    }
    const QStringList used = {win("P/x.mp3")};
    QStringList unused = unusedOf({win("P/")}, used);
    unused.sort();
    offered.sort();
    EXPECT_EQ(unused, offered);
    for (const auto &c : cases)
        EXPECT_EQ(Unused::lineMatches(win(c.file), used[0]), c.kept) << c.file;
}

TEST_F(UnusedFiles, KeepsATakeWhoseNameDiffersOnlyInCase)
{
    put("P/Audio/guitar.wav", "take");
    put("P/Audio/bass.wav", "bass");
    const QStringList used = {win("P/Audio/GUITAR.WAV"), win("P/AUDIO/bass.wav")};
    EXPECT_TRUE(unusedOf({win("P/")}, used).isEmpty());
}

TEST_F(UnusedFiles, KeepsTheSameFileUnderAnotherName)
{
    put("P/take.wav", "take");
    put("P/other.wav", "other");
    put("P/mine.wav", "mine");
    put("Q/target.wav", "target");
    ASSERT_EQ(::link(QFile::encodeName(dir.path() + "/P/take.wav").constData(),
                     QFile::encodeName(dir.path() + "/P/hard.wav").constData()),
              0);
    ASSERT_TRUE(QFile::link(dir.path() + "/P/other.wav", dir.path() + "/P/alias.wav"));
    ASSERT_TRUE(QFile::link(dir.path() + "/P/mine.wav", dir.path() + "/Q/used-link.wav"));
    const QStringList unused = unusedOf({win("P/")}, {win("P/take.wav"), win("P/alias.wav"), win("Q/used-link.wav")});
    // A hard link of a used take, the file a used link names, and the take
    // a used link points at are all the used take.
    EXPECT_EQ(unused, QStringList{}) << qPrintable(unused.join(", "));
    const QStringList viaLink = unusedOf({win("P/")}, {win("P/other.wav")});
    EXPECT_FALSE(viaLink.contains(win("P/alias.wav"))) << "a link in the folder to a used take";
}

TEST_F(UnusedFiles, NeverOffersAFolderNamedLikeAnAudioFile)
{
    put("P/Takes.wav/used.wav", "u");
    put("P/Takes.wav/spare.wav", "s");
    const QStringList unused = unusedOf({win("P/")}, {win("P/Takes.wav/used.wav")});
    EXPECT_EQ(unused, QStringList{win("P/Takes.wav/spare.wav")});
}

TEST_F(UnusedFiles, ASameLengthCopyThatCannotBeReadIsKeptAndNamed)
{
    RUN_AS_ORDINARY_USER();
    put("A/take.wav", "abc");
    put("B/take.wav", "abd");
    put("B/other.wav", "xy"); // same name as nothing used: unused
    put("C/take.wav", "abcd"); // another length: another file, unused
    ASSERT_TRUE(QFile::setPermissions(dir.path() + "/B/take.wav", QFileDevice::Permissions()));
    std::vector<Unused::InventoryEntry> inv = inventory({win("B/"), win("C/")});
    QStringList unreadable;
    Unused::Matcher m({win("A/take.wav")});
    m.onUnreadable = [&](const QString &f) { unreadable << f; };
    NoProgress none;
    Unused::removeUsed(inv, m, none);
    EXPECT_EQ(linesOf(inv), (QStringList{win("B/other.wav"), win("C/take.wav")}));
    EXPECT_EQ(unreadable, QStringList{win("B/take.wav")});
}

TEST_F(UnusedFiles, AnUnreadableCopyIsKept)
{
    put("A/take.wav", "abc");
    put("B/take.wav", "abd");
    std::vector<Unused::InventoryEntry> inv = inventory({win("B/")});
    QStringList unreadable;
    Unused::Matcher m({win("A/take.wav")}, [](const QString &, const QString &b) {
        return Unused::Comparison{Unused::Sameness::Unreadable, b};
    });
    m.onUnreadable = [&](const QString &f) { unreadable << f; };
    NoProgress none;
    Unused::removeUsed(inv, m, none);
    EXPECT_TRUE(inv.empty());
    EXPECT_EQ(unreadable, QStringList{win("A/take.wav")});
}

TEST_F(UnusedFiles, NestedProjectFoldersCountDuplicates)
{
    put("A/x.wav", "x");
    put("A/Sub/y.wav", "y");
    const std::vector<Unused::InventoryEntry> inv = inventory({win("A/"), win("A/Sub/")});
    NoProgress none;
    const Unused::UnusedEntries u = Unused::unusedAudio(inv, none);
    EXPECT_EQ(linesOf(u.lines), (QStringList{win("A/x.wav"), win("A/Sub/y.wav")}));
    EXPECT_EQ(u.found, 3);
    EXPECT_EQ(u.duplicates, 1);
    EXPECT_EQ(Unused::captionFound(u.found, u.duplicates), "Archivos no utilizados: 3     Duplicados: 1    Total: 2");
}

TEST_F(UnusedFiles, ProjectFoldersAreDistinctAndEndInABackslash)
{
    put("P/a.vip", "v");
    put("P/b.vip", "v");
    put("Q/c.vip", "v");
    const QStringList items = {"1 --> " + win("P/a.vip"), "2 --> " + win("P/b.vip"), "3 --> " + win("Q/c.vip")};
    EXPECT_EQ(Unused::projectFolders(items), (QStringList{win("P/"), win("Q/")}));
}

TEST_F(UnusedFiles, FastMatchGivesTheLiteralLoopsLists)
{
    // Random libraries: copies with the same and with other bytes, missing
    // used files, names in other letter cases and accents in either Unicode
    // form (also side by side in one folder), pipes and dangling links named
    // like takes, nested project folders.
    const QStringList words = {"Take", "voz", "Bajo", "guitar", "Coro", "drum", "Piano", "ñu", "Canci\u00f3n",
                               "Cancio\u0301n", "CANCIO\u0301N"};
    const QStringList exts = {"wav", "WAV", "mp3", "h2", "hdp", "flac", "aif", "cue", "ogg", "txt", "mp3.wav", "WAV.ogg"};
    for (quint32 seed = 1; seed <= 25; ++seed) {
        QRandomGenerator rng(seed);
        QTemporaryDir lib;
        ASSERT_TRUE(lib.isValid());
        qputenv("VELMAR_DRIVES", ("D=" + lib.path()).toLocal8Bit());
        DriveMap::instance().reload();
        WinFs::clearCache();
        QStringList files;
        for (int i = 0; i < 60; ++i) {
            QString rel = "P" + QString::number(rng.bounded(3));
            if (rng.bounded(2))
                rel += "/Audio";
            if (rng.bounded(4) == 0)
                rel += "/Sub";
            rel += u'/' + words[rng.bounded(int(words.size()))] + QString::number(rng.bounded(4)) + u'.'
                + exts[rng.bounded(int(exts.size()))];
            const QByteArray bytes = rng.bounded(3) ? QByteArray("same") : Fixtures::noise(40, rng.generate());
            Fixtures::writeFile(lib.path() + u'/' + rel, bytes);
            files << rel;
        }
        for (int k = 0; k < 4; ++k) {
            const QString target = lib.path() + u'/' + files[rng.bounded(int(files.size()))];
            const QString alias = lib.path() + "/P" + QString::number(rng.bounded(3)) + "/alias" + QString::number(k) + ".wav";
            if (k % 2)
                QFile::link(target, alias);
            else
                ::link(QFile::encodeName(target).constData(), QFile::encodeName(alias).constData());
        }
        for (int k = 0; k < 6; ++k) {
            const QString like = files[rng.bounded(int(files.size()))];
            const QString folder = lib.path() + u'/' + like.section(u'/', 0, -2) + u'/';
            const QString name = like.section(u'/', -1);
            const QString odd = k == 2 ? folder + name.toLower() : folder + "Otro/" + name.toUpper();
            QDir().mkpath(odd.left(odd.lastIndexOf(u'/')));
            if (k > 2) // another take beside it that answers to its name
                Fixtures::writeFile(folder + (k == 3 ? name.toUpper() : name.toLower()), Fixtures::noise(40, k));
            else if (k == 0)
                ::mkfifo(QFile::encodeName(odd).constData(), 0600);
            else
                QFile::link(lib.path() + "/nowhere", odd);
        }
        QStringList used;
        for (int p = 0; p < 3; ++p) {
            used << " " << "1 --> " + win("P" + QString::number(p) + "/p.vip") << " ";
            for (int k = 0; k < 12; ++k) {
                QString rel = files[rng.bounded(int(files.size()))];
                switch (rng.bounded(6)) {
                case 0: rel = rel.toUpper(); break;                   // case variant
                case 1: rel = "P9/" + rel.section(u'/', -1); break;  // missing, same name
                case 2:                                                // a part of a dotted name
                    if (rel.indexOf(u'.') < rel.lastIndexOf(u'.'))
                        rel.truncate(rel.lastIndexOf(u'.'));
                    break;
                case 3: rel = rel.normalized(QString::NormalizationForm_C).toLower(); break;
                default: break;
                }
                used << win(rel);
            }
        }
        used << win("P0/FreezeData/x.wav");
        const QStringList folders = {win("P0/"), win("P1/"), win("P2/"), win("P0/Audio/")};
        std::vector<Unused::InventoryEntry> fast = inventory(folders);
        const QSet<QString> folderLines = folderLinesOf(fast);
        QStringList slow = linesOf(fast);
        Unused::Matcher m(used);
        NoProgress none;
        ASSERT_TRUE(Unused::removeUsed(fast, m, none));
        referenceRemoveUsed(slow, used);
        ASSERT_EQ(linesOf(fast), slow) << "seed " << seed;
        int dups = 0;
        const Unused::UnusedEntries u = Unused::unusedAudio(fast, none);
        EXPECT_EQ(linesOf(u.lines), referenceUnused(slow, folderLines, &dups)) << "seed " << seed;
        EXPECT_EQ(u.duplicates, dups);
    }
}

TEST_F(UnusedFiles, AudioEndings)
{
    for (const char *yes : {"a.wav", "A.WAV", "a.aif", "a.mp3", "a.ogg", "a.flac", "a.wma", "a.m4a", "xflac"})
        EXPECT_TRUE(Unused::isAudioEnding(yes)) << yes;
    for (const char *no : {"a.aiff", "a.fla", "a.h2", "a.cue", "a.hdp", "a.wave", "wav"})
        EXPECT_FALSE(Unused::isAudioEnding(no)) << no;
}

TEST_F(UnusedFiles, CompareFilesByContent)
{
    const QByteArray block = Fixtures::noise(10000, 3);
    const QString a = put("a.bin", block);
    const QString b = put("b.bin", block);
    QByteArray longer = block + 'z';
    const QString c = put("c.bin", longer);
    longer[10000] = 'y';
    const QString d = put("d.bin", longer);
    QByteArray early = block;
    early[5] = char(early[5] ^ 1);
    const QString e = put("e.bin", early);
    const QString empty1 = put("e1.bin", "");
    const QString empty2 = put("e2.bin", "");
    using S = Unused::Sameness;
    EXPECT_EQ(Unused::compareFiles(a, b).result, S::Identical);
    EXPECT_EQ(Unused::compareFiles(a, c).result, S::Different);
    EXPECT_EQ(Unused::compareFiles(c, d).result, S::Different) << "the last byte differs";
    EXPECT_EQ(Unused::compareFiles(c, c).result, S::Identical);
    EXPECT_EQ(Unused::compareFiles(a, e).result, S::Different);
    EXPECT_EQ(Unused::compareFiles(empty1, empty2).result, S::Identical);
    EXPECT_EQ(Unused::compareFiles("", a).result, S::Different);
    const Unused::Comparison gone = Unused::compareFiles(a, win("gone.bin"));
    EXPECT_EQ(gone.result, S::Unreadable);
    EXPECT_EQ(gone.unreadable, win("gone.bin"));
    // A pipe is never read as a file (with no writer, opening it would wait
    // for one: this test holds one open so that it cannot hang).
    const QByteArray fifo = QFile::encodeName(dir.path() + "/pipe.bin");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int writer = ::open(fifo.constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const Unused::Comparison pipe = Unused::compareFiles(win("pipe.bin"), a);
    ::close(writer);
    EXPECT_EQ(pipe.result, S::Unreadable);
    EXPECT_EQ(pipe.unreadable, win("pipe.bin"));
}

TEST_F(UnusedFiles, MissingListLayout)
{
    put("P/here.wav", "h");
    put("P/.hidden.wav", "h");
    const QString dashes(100, u'-');
    auto missing = [](const QString &p) { return !WinFs::findNormalFile(p); };
    auto never = [] { return false; };

    const QStringList twoFine = {" ", "1 --> " + win("P/a.vip"), " ", win("P/here.wav"),
                                 " ", "2 --> " + win("P/b.vip"), " ", win("P/here.wav")};
    Unused::MissingList m = Unused::missingList(twoFine, missing, never);
    EXPECT_EQ(m.lines, (QStringList{"1 --> " + win("P/a.vip"), dashes, "2 --> " + win("P/b.vip")}));
    EXPECT_EQ(m.missing, 0);

    const QStringList some = {" ", "1 --> " + win("P/a.vip"), " ", win("P/here.wav"), win("P/.hidden.wav"),
                              win("P/gone.wav"), " ", "1 --> " + win("P/a.vip"), " ", win("P/gone.wav")};
    m = Unused::missingList(some, missing, never);
    EXPECT_EQ(m.lines, (QStringList{"1 --> " + win("P/a.vip"), win("P/.hidden.wav"), win("P/gone.wav"), dashes,
                                    "1 --> " + win("P/a.vip")}));
    EXPECT_EQ(m.missing, 3) << "counted before repeated lines are removed";
    EXPECT_EQ(Unused::missingSummary(2), "Encontrados: 2 archivos perdidos o desubicados en otras rutas");
}

TEST(MissingLog, NameLinesAndFolderJoin)
{
    EXPECT_EQ(Unused::missingLogName("9/12/26"), "Perdidos_9-12-26.log");
    EXPECT_EQ(Unused::missingLogLines("Encontrados: 1 x", "9/12/26", "10:11:12", {"h", "p"}),
              (QStringList{"Encontrados: 1 x  9/12/26 a las: 10:11:12", "", "h", "p"}));
    EXPECT_EQ(Unused::joinPath("D:\\Proyectos", "a.log"), "D:\\Proyectos\\a.log");
    EXPECT_EQ(Unused::joinPath("D:\\Proyectos\\", "a.log"), "D:\\Proyectos\\a.log");
}
