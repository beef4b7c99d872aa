#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/FileRecord.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"
#include "tests/support/LibraryTest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool lexists(const QString &host)
{
    struct stat st;
    return ::lstat(QFile::encodeName(host).constData(), &st) == 0;
}

// Two names answer to each other when they are equal in Unicode
// normalisation form C, letters in either case.
bool answersTo(const QString &a, const QString &b)
{
    return a.normalized(QString::NormalizationForm_C)
               .compare(b.normalized(QString::NormalizationForm_C), Qt::CaseInsensitive)
        == 0;
}

QString joinedHost(const QString &folder, const QString &name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// A folder (through a link too) or, `last`, a regular file.
bool isKind(const QString &host, bool last)
{
    struct stat st;
    return ::stat(QFile::encodeName(host).constData(), &st) == 0 && (last ? S_ISREG(st.st_mode) : S_ISDIR(st.st_mode));
}

QStringList referenceAnswers(const QString &windowsPath);

// The case-blind resolution written out plainly: the path as written when
// it exists, else its first answer when a regular file answers, else from
// the drive's root each name as written when it exists, else the first name
// of the folder's listing that answers to it, else as written.
QString referenceHostPath(const QString &windowsPath)
{
    const QString direct = DriveMap::instance().toHost(windowsPath);
    if (direct.isEmpty() || lexists(direct))
        return direct;
    if (const QStringList answers = referenceAnswers(windowsPath); !answers.isEmpty())
        return answers.front();
    const QString collapsed = DriveMap::collapse(windowsPath);
    QString cur = DriveMap::instance().toHost(collapsed.left(2) + u'\\');
    for (const QString &part : collapsed.mid(3).split(u'\\', Qt::SkipEmptyParts)) {
        QString next = cur == "/" ? "/" + part : cur + "/" + part;
        if (!lexists(next)) {
            for (const WinFs::Entry &e : WinFs::listHostDir(cur)) {
                if (answersTo(e.name, part)) {
                    next = cur == "/" ? "/" + e.name : cur + "/" + e.name;
                    break;
                }
            }
        }
        cur = next;
    }
    return cur;
}

// Every regular file a Windows path names, written out plainly: level by
// level from the drive's root, in each folder reached the name as written
// when it is a folder (at the end a regular file), else every name of the
// folder's listing that answers to it and is one.
QStringList referenceAnswers(const QString &windowsPath)
{
    const QString direct = DriveMap::instance().toHost(windowsPath);
    if (direct.isEmpty())
        return {};
    if (isKind(direct, true))
        return {direct};
    const QString collapsed = DriveMap::collapse(windowsPath);
    QStringList reached{DriveMap::instance().toHost(collapsed.left(2) + u'\\')};
    const QStringList parts = collapsed.mid(3).split(u'\\', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        QStringList next;
        for (const QString &folder : reached) {
            if (isKind(joinedHost(folder, parts[i]), last)) {
                next << joinedHost(folder, parts[i]);
                continue;
            }
            for (const WinFs::Entry &e : WinFs::listHostDir(folder))
                if (e.name != parts[i] && answersTo(e.name, parts[i]) && isKind(joinedHost(folder, e.name), last))
                    next << joinedHost(folder, e.name);
        }
        reached = next;
    }
    return parts.isEmpty() ? QStringList() : reached;
}

// A folder's time a minute back, so that what is seen in it may be kept.
void age(const QString &host)
{
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(host).constData(), &st), 0);
    struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    times[1].tv_sec -= 60;
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(host).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

} // namespace

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

TEST(WindowsNames, ReservedNamesAreTheWordsInCapitalsWhateverTheLetters)
{
    // The rule as stated: the part before the first dot, blanks at its end
    // cut, in capitals, is not a device name.
    auto reference = [](const QString &name) {
        if (name.isEmpty() || name.endsWith(u'.') || name.endsWith(u' '))
            return false;
        for (const QChar c : name) {
            const char16_t u = c.unicode();
            if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || QStringLiteral("\\/:*?\"<>|").contains(c))
                return false;
        }
        QString base = name.left(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
        while (base.endsWith(u' '))
            base.chop(1);
        base = base.toUpper();
        if (QStringList{"CON", "PRN", "AUX", "NUL"}.contains(base))
            return false;
        return !(base.size() == 4 && (base.startsWith("COM") || base.startsWith("LPT")) && base[3] >= u'1'
                 && base[3] <= u'9');
    };
    // Letters whose capitals are other letters or more than one.
    const QStringList pieces = {"c", "C", "o", "n", "N", "p", "r", "a", "u", "x", "l", "m", "t", "T", "1", "9", "0",
                                ".", " ", "\u0131", "\u017f", "\u212a", "\u00df", "\ufb05", "\u01c6", "\u00b9"};
    QRandomGenerator rng(11);
    for (int i = 0; i < 200000; ++i) {
        QString name;
        const int n = 1 + int(rng.bounded(6));
        for (int k = 0; k < n; ++k)
            name += pieces[rng.bounded(int(pieces.size()))];
        ASSERT_EQ(WinFs::isWindowsName(name), reference(name)) << qPrintable(name);
    }
    for (const char *n : {"con", "Con .x", "prn", "aux.wav", "NUL", "com1", "Lpt9.a", "LPT5 .wav"})
        EXPECT_FALSE(WinFs::isWindowsName(QString::fromLatin1(n))) << n;
}

TEST_F(WinFsTest, CaseBlindResolutionGivesWhatTheWalkFromTheRootGives)
{
    // Names that differ in letter case only, letters whose case folding is
    // not their lower case ("ſ" folds to "s", "ς" to "σ", the Kelvin sign to
    // "k", "ß" to itself), accents in both Unicode forms, links to folders,
    // a dangling link, a pipe, a file where a folder is looked for, and
    // names that are nowhere. Every answer of each path too.
    const QStringList names = {"a", "A", "b", "\u00f1", "\u00d1", "k", "\u212a", "\u00df", "SS", "s", "\u017f",
                               "\u03c2", "\u03a3", "Audio", "AUDIO", "x.wav", "\u00f3", "o\u0301", "O\u0301",
                               "\u00d3.wav", "o\u0301.WAV"};
    for (quint32 seed = 1; seed <= 12; ++seed) {
        QTemporaryDir lib;
        ASSERT_TRUE(lib.isValid());
        qputenv("VELMAR_DRIVES", ("D=" + lib.path()).toLocal8Bit());
        DriveMap::instance().reload();
        WinFs::clearCache();
        QRandomGenerator rng(seed);
        QStringList made{""}, entries;
        for (int i = 0; i < 60; ++i) {
            const QString parent = made[rng.bounded(int(made.size()))];
            const QString rel = (parent.isEmpty() ? "" : parent + "/") + names[rng.bounded(int(names.size()))];
            const QString host = lib.path() + "/" + rel;
            if (lexists(host))
                continue;
            entries << rel;
            switch (rng.bounded(6)) {
            case 0:
                Fixtures::writeFile(host, "f");
                break;
            case 4:
                ::mkfifo(QFile::encodeName(host).constData(), 0600);
                break;
            case 1:
                QFile::link(lib.path() + "/" + made[rng.bounded(int(made.size()))], host);
                break;
            case 2:
                QFile::link(lib.path() + "/nowhere", host);
                break;
            default:
                QDir().mkpath(host);
                made << rel;
            }
        }
        // Names beside names that answer to them, files and folders.
        for (int i = 0; i < 30; ++i) {
            const QString rel = entries[rng.bounded(int(entries.size()))];
            const qsizetype slash = rel.lastIndexOf(u'/');
            const QString name = rel.mid(slash + 1);
            const QString other = rng.bounded(2) ? name.toUpper() : name.toLower().normalized(QString::NormalizationForm_D);
            const QString host = lib.path() + "/" + rel.left(slash + 1) + other;
            if (lexists(host))
                continue;
            if (rng.bounded(2)) {
                Fixtures::writeFile(host, "f");
            } else {
                QDir().mkpath(host);
                made << rel.left(slash + 1) + other;
            }
            entries << rel.left(slash + 1) + other;
        }
        // Some folders a minute old, so that what the resolution sees in
        // them is kept, and some fresh.
        for (const QString &rel : made)
            if (rng.bounded(2))
                age(lib.path() + "/" + rel);
        for (int q = 0; q < 400; ++q) {
            QString w = "D:";
            // Half of the paths are an entry's in other spellings.
            const int depth = q % 2 ? 0 : 1 + int(rng.bounded(4));
            if (q % 2) {
                for (QString n : entries[rng.bounded(int(entries.size()))].split(u'/')) {
                    switch (rng.bounded(4)) {
                    case 0: n = n.toUpper(); break;
                    case 1: n = n.toLower(); break;
                    case 2: n = n.normalized(QString::NormalizationForm_D); break;
                    default: break;
                    }
                    w += "\\" + n;
                }
            }
            for (int d = 0; d < depth; ++d) {
                QString n = names[rng.bounded(int(names.size()))];
                if (rng.bounded(3) == 0)
                    n = rng.bounded(2) ? n.toUpper() : n.toLower();
                if (rng.bounded(9) == 0)
                    n = "nada";
                w += "\\" + n;
            }
            QStringList answered;
            for (const WinFs::Answer &a : WinFs::answers(w)) {
                answered << a.host;
                EXPECT_TRUE(a.stat.isFile) << qPrintable(a.host);
                EXPECT_EQ(DriveMap::instance().toHost(a.path), a.host);
            }
            ASSERT_EQ(answered, referenceAnswers(w)) << qPrintable(w) << " seed " << seed;
            // The normal file: the name as written when it is there, else
            // the first answer.
            const QString direct = DriveMap::instance().toHost(w);
            const QString normal = lexists(direct) ? (isKind(direct, true) ? direct : QString())
                                                   : answered.value(0);
            QString found;
            ASSERT_EQ(WinFs::findNormalFile(w, &found), !normal.isEmpty()) << qPrintable(w) << " seed " << seed;
            EXPECT_EQ(found, normal) << qPrintable(w);
            const QString expected = referenceHostPath(w);
            ASSERT_EQ(WinFs::hostPath(w), expected) << qPrintable(w) << " seed " << seed;
            QString host;
            const WinFs::FileStat st = WinFs::statPath(w, &host);
            struct stat ref;
            const bool there = ::lstat(QFile::encodeName(expected).constData(), &ref) == 0;
            ASSERT_EQ(st.exists, there) << qPrintable(w) << " seed " << seed;
            if (there) {
                EXPECT_EQ(host, expected);
                struct stat target;
                const bool followed = ::stat(QFile::encodeName(expected).constData(), &target) == 0;
                EXPECT_EQ(st.isDir, followed && S_ISDIR(target.st_mode)) << qPrintable(w);
                EXPECT_EQ(st.isFile, followed && S_ISREG(target.st_mode)) << qPrintable(w);
                EXPECT_EQ(st.isLink, S_ISLNK(ref.st_mode)) << qPrintable(w);
            }
        }
    }
}

TEST_F(WinFsTest, AFolderThatAppearsIsFoundAtOnce)
{
    // The resolution remembers folders it found missing; a folder made
    // afterwards, in any letter case, is found all the same.
    QDir().mkpath(dir.path() + "/P");
    age(dir.path() + "/P");
    EXPECT_FALSE(WinFs::findNormalFile("D:\\P\\Audio\\Sub\\take.wav"));
    EXPECT_FALSE(WinFs::findNormalFile("D:\\P\\Audio\\Sub\\take.wav"));
    Fixtures::writeFile(dir.path() + "/P/audio/Sub/take.wav", "t");
    EXPECT_TRUE(WinFs::findNormalFile("D:\\P\\Audio\\Sub\\take.wav"));
    EXPECT_EQ(WinFs::hostPath("D:\\P\\Audio\\Sub\\take.wav"), dir.path() + "/P/audio/Sub/take.wav");

    // The same when the folder above is replaced by another of its name.
    QDir().mkpath(dir.path() + "/Q/R");
    age(dir.path() + "/Q/R");
    EXPECT_FALSE(WinFs::findNormalFile("D:\\Q\\R\\Audio\\take.wav"));
    ASSERT_TRUE(QDir(dir.path() + "/Q").rename("R", "R-old"));
    Fixtures::writeFile(dir.path() + "/Q/R/Audio/take.wav", "t");
    QDir().mkpath(dir.path() + "/Q/R-old/x");
    age(dir.path() + "/Q/R");
    EXPECT_TRUE(WinFs::findNormalFile("D:\\Q\\R\\Audio\\take.wav"));

    // While an analysis looks, what was seen a moment ago stands for a few
    // milliseconds, no longer.
    QDir().mkpath(dir.path() + "/S");
    age(dir.path() + "/S");
    NoProgress quiet;
    const WinFs::AnalysisLooks looks(quiet);
    EXPECT_FALSE(WinFs::findNormalFile("D:\\S\\Audio\\take.wav"));
    Fixtures::writeFile(dir.path() + "/S/audio/take.wav", "t");
    age(dir.path() + "/S");
    QThread::msleep(30);
    EXPECT_TRUE(WinFs::findNormalFile("D:\\S\\Audio\\take.wav"));
}

TEST_F(WinFsTest, RecordsOfOneFolderAreTheRecordsOfEachFile)
{
    Fixtures::writeFile(dir.path() + "/a/b/take.wav", "t");
    Fixtures::writeFile(dir.path() + "/a/other.wav", "o");
    Fixtures::writeFile(dir.path() + "/top.wav", "p");
    QFile::link(dir.path() + "/a/b/take.wav", dir.path() + "/a/b/link.wav");
    const QByteArray d = QFile::encodeName(dir.path());
    const QList<QByteArray> folders = {d,           d + "/",         d + "//",      d + "/a",      d + "/a/b",    d + "/a/b/",
                                       d + "//a",   d + "/a//b",     d + "/./a",    d + "/a/../a", d + "/missing",
                                       d.left(d.lastIndexOf('/')), "/", "/tmp", d + "x", ""};
    const QList<QByteArray> names = {"take.wav", "other.wav", "top.wav", "link.wav", "", ".", "..", "b/take.wav",
                                     "a/other.wav", QByteArray("x\0y", 3), "none.wav", "b"};
    for (const QChar letter : {u'D', u'Z', u'Q'}) {
        for (const QByteArray &folder : folders) {
            const FileRecord::InFolder in(letter, folder);
            for (const QByteArray &name : names) {
                const QByteArray host = folder.endsWith('/') ? folder + name : folder + '/' + name;
                EXPECT_EQ(in.take(name), FileRecord::take(letter, host))
                    << letter.toLatin1() << " " << folder.constData() << " " << name.constData();
            }
        }
    }
}

TEST_F(WinFsTest, AFolderOfThousandsOfNamesIsListedInTheSameOrderWhileEventsRun)
{
    // More names than one sorted piece, in letters of every kind; the order
    // is the case-blind comparison's, then the plain one's.
    const QStringList letters = {"a", "A", "b", "B", "z", "Z", "_", " ", "1", "\u00f1", "\u00d1", "\u00df", "\u212a",
                                 "k", "\u017f", "s", "S", "\u00e9", "\u00c9"};
    QRandomGenerator rng(5);
    QSet<QString> made;
    while (made.size() < 9000) {
        QString name;
        const int n = 1 + int(rng.bounded(5));
        for (int k = 0; k < n; ++k)
            name += letters[rng.bounded(int(letters.size()))];
        name += ".wav";
        if (made.contains(name))
            continue;
        QFile f(dir.path() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        made.insert(name);
    }
    QStringList expected(made.cbegin(), made.cend());
    std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    struct Counting final : Progress
    {
        int pumps = 0;
        void setRange(qint64, qint64) override {}
        void setValue(qint64) override {}
        bool cancelled() const override { return false; }
        void pump() override { ++pumps; }
    } counting;
    for (Progress *p : {static_cast<Progress *>(nullptr), static_cast<Progress *>(&counting)}) {
        QStringList got;
        for (const WinFs::Entry &e : WinFs::listHostDir(dir.path(), p))
            got << e.name;
        EXPECT_EQ(got, expected);
    }
    EXPECT_GT(counting.pumps, 9000 / 4096);
}
