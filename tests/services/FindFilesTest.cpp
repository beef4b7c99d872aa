#include "services/FindFiles.h"

#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "services/BuscarIcon.h"
#include "services/FindFilesUi.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"

#include "tests/support/OrdinaryUser.h"

#include "tests/support/LibraryTest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <unistd.h>

namespace {

class Finder : public LibraryTest
{
protected:
    Finder() : LibraryTest('C') {}

    void SetUp() override
    {
        LibraryTest::SetUp();
        Ask::setFunction([this](const QString &title, const QString &text, const QStringList &) {
            messages << title + " | " + text;
            return 0;
        });
    }
    void TearDown() override
    {
        Ask::setFunction({});
        LibraryTest::TearDown();
        // Leave nothing the temporary folder cannot remove.
        QFile::setPermissions(dir.path() + "/P/Locked",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void file(const QString &rel, const QByteArray &bytes = "x") { write(rel, bytes); }
    void folder(const QString &rel) { ASSERT_TRUE(QDir().mkpath(host(rel))); }
    void link(const QString &target, const QString &rel) { ASSERT_TRUE(QFile::link(target, host(rel))); }

    // Runs a search and records the signals in order.
    QStringList run(cFindFiles &f, const QString &folder, const QString &pattern = {}, const QString &name = {},
                    int option = 1)
    {
        QStringList events;
        const auto c1 = QObject::connect(&f, &cFindFiles::InitSearch, [&] { events << "Init"; });
        const auto c2 = QObject::connect(&f, &cFindFiles::GetFile, [&](const QString &p) { events << p; });
        const auto c3 = QObject::connect(&f, &cFindFiles::EndSearch, [&] { events << "End"; });
        f.Find(folder, pattern, name, option);
        QObject::disconnect(c1);
        QObject::disconnect(c2);
        QObject::disconnect(c3);
        return events;
    }

    QStringList messages;
};

QStringList framed(const QStringList &files)
{
    return QStringList{"Init"} + files + QStringList{"End"};
}

} // namespace

TEST_F(Finder, FindsProjectsAtAnyDepthCaseBlindInPreOrder)
{
    file("P/b.vip", "bb");
    file("P/A.VIP", "a");
    file("P/notes.txt");
    file("P/Sub/c.vip", "ccc");
    file("P/Sub/Deep/d.Vip", "dddd");
    file("P/zz/e.vip", "eeeee");
    file("P/Tema.vipx", "6bytes"); // a three-character extension also matches longer ones
    folder("P/Empty");
    cFindFiles f;
    const QStringList expected = {"C:\\P\\A.VIP",          "C:\\P\\b.vip",       "C:\\P\\Tema.vipx",
                                  "C:\\P\\Sub\\c.vip",     "C:\\P\\Sub\\Deep\\d.Vip", "C:\\P\\zz\\e.vip"};
    EXPECT_EQ(run(f, "C:\\P", "*.vip"), framed(expected));
    EXPECT_EQ(f.ColFiles(), expected);
    EXPECT_EQ(f.FilesCount(), 6);
    EXPECT_EQ(f.DirCount(), 4); // Empty, Sub, Sub\Deep, zz
    EXPECT_EQ(f.TotalSize(), 21.0);

    // With the trailing "\" the same; the folder is kept as the caller wrote it.
    f.Find("C:\\P\\", "*.vip", "", 1);
    EXPECT_EQ(f.ColFiles(), expected);
    f.Find("c:\\p", "*.vip", "", 1);
    EXPECT_EQ(f.ColFiles().first(), "c:\\p\\A.VIP");
    EXPECT_EQ(f.FilesCount(), 6);
}

TEST_F(Finder, OddNamesAreFoundAndNamedByThemselves)
{
    file("P/Mezcla [v2].vip");
    file("P/Canción ñ.vip");
    file("P/Ωmega.vip");
    file("P/what?.vip");
    file("P/star*.vip");
    file("P/ab .vip");
    cFindFiles f;
    EXPECT_EQ(f.Find("C:\\P", "*.vip", "", 1), true);
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\P\\ab .vip", "C:\\P\\Canción ñ.vip", "C:\\P\\Mezcla [v2].vip",
                                         "C:\\P\\Ωmega.vip"}));
    // No Windows path can name these two: they are told apart, not found.
    EXPECT_EQ(f.PassedOver(), (QStringList{"C:\\P\\star*.vip", "C:\\P\\what?.vip"}));
    // The base name of a bracketed name is the name itself, not "".
    f.Find("C:\\P", "*.vip", "mezcla [v2]", 0);
    EXPECT_EQ(f.ColFiles(), QStringList{"C:\\P\\Mezcla [v2].vip"});
    f.Find("C:\\P", "*.vip", "[v2", 1);
    EXPECT_EQ(f.ColFiles(), QStringList{"C:\\P\\Mezcla [v2].vip"});
    f.Find("C:\\P", "*.vip", "CANCIÓN", 1);
    EXPECT_EQ(f.ColFiles(), QStringList{"C:\\P\\Canción ñ.vip"});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Finder, DotFilesBackupsFreezeDataAndEmptyFolders)
{
    file("P/.hidden.vip");
    file("P/.vip"); // no base name: no name test accepts it
    file("P/Tema_BAK.vip");
    file("P/Tema.vip");
    file("P/FreezeData/frozen.vip");
    file("P/.cache/inner.vip");
    folder("P/Empty/Emptier");
    cFindFiles f;
    f.Find("C:\\P", "*.vip", "", 1);
    // The finder filters nothing by name: backups and frozen copies are the
    // caller's to keep or drop.
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\P\\.hidden.vip", "C:\\P\\Tema.vip", "C:\\P\\Tema_BAK.vip",
                                         "C:\\P\\.cache\\inner.vip", "C:\\P\\FreezeData\\frozen.vip"}));
    EXPECT_EQ(f.DirCount(), 4);
    f.Find("C:\\P\\Empty", "*.vip", "", 1);
    EXPECT_TRUE(f.ColFiles().isEmpty());
    EXPECT_EQ(f.DirCount(), 1);
    f.Find("C:\\P", "*.vip", "_bak", 1);
    EXPECT_EQ(f.ColFiles(), QStringList{"C:\\P\\Tema_BAK.vip"});
}

TEST_F(Finder, SymbolicLinksToFoldersAreNeverWalkedNorReported)
{
    file("P/a.vip", "aa");
    file("Outside/o.vip");
    file("Outside/Deeper/p.vip");
    link(host("P"), "P/loop");               // a loop back to the top
    file("P/Sub/s.vip");
    link(host("P/Sub"), "P/Sub/self");       // a loop onto itself
    link(host("Outside"), "P/Elsewhere.vip"); // a folder link named like a project
    link(host("P/a.vip"), "P/linked.vip");     // a link to a file is a file
    link(host("P/gone"), "P/Sub/dangling.vip");
    cFindFiles f;
    const QStringList events = run(f, "C:\\P", "*.vip");
    EXPECT_EQ(events, framed({"C:\\P\\a.vip", "C:\\P\\linked.vip", "C:\\P\\Sub\\dangling.vip", "C:\\P\\Sub\\s.vip"}));
    EXPECT_EQ(f.DirCount(), 1) << "only Sub: links to folders are not counted";
    EXPECT_EQ(f.TotalSize(), 2.0 + 2.0 + 0.0 + 1.0);
}

TEST_F(Finder, UnreadableFolderIsSkippedSilently)
{
    RUN_AS_ORDINARY_USER();
    file("P/a.vip");
    file("P/Locked/l.vip");
    file("P/Open/o.vip");
    ASSERT_TRUE(QFile::setPermissions(host("P/Locked"), QFileDevice::Permissions()));
    cFindFiles f;
    f.Find("C:\\P", "*.vip", "", 1);
    EXPECT_TRUE(messages.isEmpty());
    const QStringList expected = {"C:\\P\\a.vip", "C:\\P\\Open\\o.vip"};
    EXPECT_EQ(f.ColFiles(), expected);
    EXPECT_EQ(f.DirCount(), 2);

    // Folders that do not exist, unmapped drives and files give nothing.
    EXPECT_EQ(run(f, "C:\\Nowhere", "*.vip"), framed({}));
    EXPECT_EQ(run(f, "Q:\\Audio", "*.vip"), framed({}));
    EXPECT_EQ(run(f, "C:\\P\\a.vip", "*.vip"), framed({}));
    EXPECT_EQ(f.FilesCount(), 0);
}

TEST_F(Finder, EventsComeInOrderAndAFileIsReportedBeforeItIsListed)
{
    file("P/a.vip");
    file("P/S/b.vip");
    cFindFiles f;
    QStringList seen;
    QObject::connect(&f, &cFindFiles::InitSearch, [&] { seen << QString("Init %1").arg(f.ColFiles().size()); });
    QObject::connect(&f, &cFindFiles::GetFile, [&](const QString &p) {
        seen << QString("%1 %2 %3").arg(p).arg(f.FilesCount()).arg(f.ColFiles().size());
    });
    QObject::connect(&f, &cFindFiles::EndSearch, [&] { seen << QString("End %1").arg(f.ColFiles().size()); });
    EXPECT_TRUE(f.Find("C:\\P", "*.vip", "", 1));
    EXPECT_EQ(seen, (QStringList{"Init 0", "C:\\P\\a.vip 1 0", "C:\\P\\S\\b.vip 2 1", "End 2"}));
    EXPECT_FALSE(f.isSearching());
}

TEST_F(Finder, ABadNameIsRefusedWithAMessageAndKeepsThePreviousResults)
{
    file("P/a.vip");
    cFindFiles f;
    f.Find("C:\\P", "*.vip", "", 1);
    const QStringList before = f.ColFiles();
    for (const char *bad : {"a*", "a|b", "a>b", "a<b", "a?", "C:x", "a/b", "a\\b"}) {
        SCOPED_TRACE(bad);
        messages.clear();
        EXPECT_EQ(run(f, "C:\\P", "*.vip", bad), QStringList{"End"});
        EXPECT_EQ(messages, QStringList{"Error en nombre de archivo | El nombre de archivo no puede contener ninguno de "
                                        "estos caracteres : / \\ * ? : | < > "});
        EXPECT_EQ(f.ColFiles(), before);
        EXPECT_EQ(f.FilesCount(), 1);
        EXPECT_FALSE(f.isSearching());
    }
}

TEST_F(Finder, StopSearchInsideGetFileFinishesTheFolderAndGoesNoFurther)
{
    file("P/a.vip");
    file("P/b.vip");
    file("P/Sub/c.vip");
    file("P/T/d.vip");
    cFindFiles f;
    int ends = 0;
    QObject::connect(&f, &cFindFiles::EndSearch, [&] { ++ends; });
    const auto stop = QObject::connect(&f, &cFindFiles::GetFile, [&] { f.StopSearch(); });
    EXPECT_TRUE(f.Find("C:\\P", "*.vip", "", 1));
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\P\\a.vip", "C:\\P\\b.vip"}));
    EXPECT_EQ(ends, 1);
    QObject::disconnect(stop);
    // The stop request is cleared: the next search is whole.
    f.Find("C:\\P", "*.vip", "", 1);
    EXPECT_EQ(f.FilesCount(), 4);

    // A stop in a sub-folder: the rest of that folder, nothing after it.
    file("P/Sub/c2.vip");
    QObject::connect(&f, &cFindFiles::GetFile, [&](const QString &p) {
        if (p.endsWith("c.vip"))
            f.StopSearch();
    });
    f.Find("C:\\P", "*.vip", "", 1);
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\P\\a.vip", "C:\\P\\b.vip", "C:\\P\\Sub\\c.vip", "C:\\P\\Sub\\c2.vip"}));
}

TEST_F(Finder, WindowEventsRunDuringTheSearchAndMayStopIt)
{
    file("P/a.vip");
    file("P/Sub/b.vip");
    cFindFiles f;
    bool fired = false;
    QTimer::singleShot(0, [&] {
        fired = true;
        f.StopSearch();
    });
    QThread::msleep(20); // let the time-sliced pump run at the first folder
    f.Find("C:\\P", "*.vip", "", 1);
    const bool firedDuringSearch = fired;
    const QStringList found = f.ColFiles();
    QCoreApplication::processEvents(); // never leave the timer to a later test
    EXPECT_TRUE(firedDuringSearch) << "the search lets pending events run";
    EXPECT_EQ(found, QStringList{"C:\\P\\a.vip"}) << "the first folder is finished, nothing else";
}

TEST_F(Finder, ASecondFindDuringASearchIsRefusedAndLeavesTheFirstWhole)
{
    file("P/a.vip");
    file("P/b.vip");
    file("P/Sub/c.vip");
    file("Q/x.vip");
    cFindFiles f;
    QStringList events;
    int refused = 0;
    QObject::connect(&f, &cFindFiles::InitSearch, [&] { events << "Init"; });
    QObject::connect(&f, &cFindFiles::EndSearch, [&] {
        events << "End";
        if (!f.Find("C:\\Q", "*.vip", "", 1))
            ++refused;
    });
    QObject::connect(&f, &cFindFiles::GetFile, [&](const QString &p) {
        events << p;
        EXPECT_TRUE(f.isSearching());
        if (!f.Find("C:\\Q", "*.vip", "", 1))
            ++refused;
    });
    EXPECT_TRUE(f.Find("C:\\P", "*.vip", "", 1));
    EXPECT_EQ(refused, 4);
    EXPECT_EQ(events, framed({"C:\\P\\a.vip", "C:\\P\\b.vip", "C:\\P\\Sub\\c.vip"}));
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\P\\a.vip", "C:\\P\\b.vip", "C:\\P\\Sub\\c.vip"}));
    EXPECT_EQ(f.FilesCount(), 3);
    EXPECT_EQ(f.DirCount(), 1);
    EXPECT_FALSE(f.isSearching());
}

TEST_F(Finder, PatternsMasksAndExtensionLists)
{
    file("F/a.wav");
    file("F/b.WAV");
    file("F/c.wave");
    file("F/d.mp3");
    file("F/noext");
    file("F/e.flac");
    folder("F/Takes.wav");
    const struct
    {
        const char *pattern;
        QStringList found;      // names in C:\F
        QStringList extensions; // empty: not checked
        const char *why;
    } rows[] = {
        {"", {"a.wav", "b.WAV", "c.wave", "d.mp3", "e.flac", "noext"}, {"*.*"},
         "no pattern is every file, even without an extension; folders never"},
        {"*.wav", {"a.wav", "b.WAV", "c.wave"}, {},
         "a mask: case-blind, a three-character extension matches longer ones, the folder is left out"},
        {"*.wav;", {"a.wav", "b.WAV", "c.wave"}, {"*.wav"}, "one mask and an empty one: the mask"},
        {"*.fla", {"e.flac"}, {}, "a shorter extension matches a longer one"},
        {"*.wav;*.WAV", {"a.wav", "b.WAV"}, {"wav", "WAV"}, "a list compares whole extensions, each file once"},
        {"*.wav;*.mp3", {"a.wav", "b.WAV", "d.mp3"}, {}, "a list"},
        {"?.wav", {"a.wav", "b.WAV", "c.wave"}, {}, "a mask with a one-character wildcard"},
    };
    cFindFiles f;
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("\"") + r.pattern + "\": " + r.why);
        f.Find("C:\\F", r.pattern, "", 1);
        QStringList found;
        for (const QString &name : r.found)
            found << "C:\\F\\" + name;
        EXPECT_EQ(f.ColFiles(), found);
        if (!r.extensions.isEmpty()) {
            EXPECT_EQ(f.ColExtensions(), r.extensions);
        }
    }
}

TEST_F(Finder, NameTestsAndSubFolderSwitch)
{
    file("N/xaby.wav");
    file("N/AB.txt");
    file("N/Ab.mp3");
    file("N/ab .wav");
    file("N/xab.wav");
    file("N/Sub/ab.wav");
    cFindFiles f;
    f.Find("C:\\N", "", "ab", 1);
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\N\\ab .wav", "C:\\N\\Ab.mp3", "C:\\N\\AB.txt", "C:\\N\\xab.wav",
                                         "C:\\N\\xaby.wav", "C:\\N\\Sub\\ab.wav"}));
    f.Find("C:\\N", "", "ab", 0);
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\N\\ab .wav", "C:\\N\\Ab.mp3", "C:\\N\\AB.txt", "C:\\N\\Sub\\ab.wav"}));
    f.Find("C:\\N", "", " AB ", 7);
    EXPECT_EQ(f.FilesCount(), 4);
    // Without an option the name test is "equal", and no base name equals "".
    f.Find("C:\\N", "*.wav");
    EXPECT_EQ(f.FilesCount(), 0);

    EXPECT_TRUE(f.SearchSubDirs());
    f.setSearchSubDirs(false);
    f.Find("C:\\N", "*.wav", "", 1);
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\N\\ab .wav", "C:\\N\\xab.wav", "C:\\N\\xaby.wav"}));
    EXPECT_EQ(f.DirCount(), 0);
}

TEST_F(Finder, SizeBoundsAreInclusiveAndCheckedAgainstEachOther)
{
    file("S/1.bin", QByteArray(10, 'x'));
    file("S/2.bin", QByteArray(20, 'x'));
    file("S/3.bin", QByteArray(30, 'x'));
    cFindFiles f;
    f.setMinFileSize(20);
    f.Find("C:\\S", "*.bin", "", 1);
    EXPECT_EQ(f.ColFiles(), (QStringList{"C:\\S\\2.bin", "C:\\S\\3.bin"}));
    EXPECT_EQ(f.TotalSize(), 50.0);
    f.setMaxFileSize(20);
    f.Find("C:\\S", "*.bin", "", 1);
    EXPECT_EQ(f.ColFiles(), QStringList{"C:\\S\\2.bin"});
    EXPECT_TRUE(messages.isEmpty());

    f.setMaxFileSize(0);
    f.setMinFileSize(200);
    f.setMaxFileSize(100);
    EXPECT_EQ(f.MaxFileSize(), 0);
    EXPECT_EQ(messages, QStringList{"Velmar | El valor máximo no puede ser menor al valor mínimo. cambie el valor de "
                                    "MinFileSize."});
    messages.clear();
    f.setMinFileSize(0);
    f.setMaxFileSize(100);
    f.setMinFileSize(101);
    EXPECT_EQ(f.MinFileSize(), 0);
    EXPECT_EQ(f.MaxFileSize(), 100);
    EXPECT_EQ(messages, QStringList{"Velmar | El valor mínimo no puede ser mayor al valor máximo. Cambie el valor de "
                                    "MaxFileSize."});
    f.setMinFileSize(100);
    EXPECT_EQ(f.MinFileSize(), 100);
}

TEST_F(Finder, AttributeWordsAsTheHostGivesThem)
{
    file("A/plain.wav");
    file("A/.hidden.wav");
    file("A/locked.wav");
    link(host("A/plain.wav"), "A/linked.wav");
    ASSERT_TRUE(QFile::setPermissions(host("A/locked.wav"), QFileDevice::ReadOwner));
    const bool root = ::geteuid() == 0; // the super-user may write any file
    cFindFiles f;
    EXPECT_EQ(f.Attributes(), 0);
    const struct
    {
        const char *name;
        qint32 attributes;
        qint32 word; // as the finder then gives it
        QStringList found;
    } rows[] = {
        {"normal", 0, 32, root ? QStringList{"locked.wav", "plain.wav"} : QStringList{"plain.wav"}},
        {"hidden", cFindFiles::AttrHidden, 34, {".hidden.wav"}},
        {"links", cFindFiles::AttrReparsePoint, 1056, {"linked.wav"}},
        {"system: no file is one", cFindFiles::AttrSystem, 36, {}},
        {"read-only", cFindFiles::AttrReadOnly, 33, {"locked.wav"}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        if (root && r.attributes == cFindFiles::AttrReadOnly)
            continue;
        f.setAttributes(r.attributes);
        EXPECT_EQ(f.Attributes(), r.word);
        f.Find("C:\\A", "*.wav", "", 1);
        QStringList found;
        for (const QString &name : r.found)
            found << "C:\\A\\" + name;
        EXPECT_EQ(f.ColFiles(), found);
    }
}

TEST_F(Finder, DateBoundsCompareTheDateOfEachStamp)
{
    file("D/jan.wav");
    file("D/mar.wav");
    auto stamp = [&](const QString &rel, const QDateTime &when) {
        QFile f(host(rel));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileAccessTime));
    };
    stamp("D/jan.wav", QDateTime(QDate(2020, 1, 10), QTime(18, 30)));
    stamp("D/mar.wav", QDateTime(QDate(2020, 3, 1), QTime(9, 0)));
    cFindFiles f;
    f.setDateLastModifiedFrom(QDateTime(QDate(2020, 2, 1), QTime(0, 0)));
    f.Find("C:\\D", "*.wav", "", 1);
    EXPECT_EQ(f.ColFiles(), QStringList{"C:\\D\\mar.wav"});
    f.setDateLastModifiedFrom({});
    // The stamp's date (its time dropped) against an inclusive bound.
    f.setDateLastModifiedTo(QDateTime(QDate(2020, 1, 10), QTime(0, 0)));
    f.Find("C:\\D", "*.wav", "", 1);
    EXPECT_EQ(f.ColFiles(), QStringList{"C:\\D\\jan.wav"});
    f.setDateLastModifiedTo({});
    f.setDateLastAccessFrom(QDateTime(QDate(2020, 3, 1), QTime(0, 0)));
    f.setDateLastAccessTo(QDateTime(QDate(2020, 3, 1), QTime(0, 0)));
    f.Find("C:\\D", "*.wav", "", 1);
    EXPECT_EQ(f.ColFiles(), QStringList{"C:\\D\\mar.wav"});
    f.setDateLastAccessFrom({});
    f.setDateLastAccessTo({});
    // Both files were made today.
    const QDateTime today(QDate::currentDate(), QTime(0, 0));
    f.setDateCreationFrom(today.addDays(-1));
    f.setDateCreationTo(today.addDays(1));
    f.Find("C:\\D", "*.wav", "", 1);
    EXPECT_EQ(f.FilesCount(), 2);
    f.setDateCreationFrom(today.addDays(1));
    f.Find("C:\\D", "*.wav", "", 1);
    EXPECT_EQ(f.FilesCount(), 0);
    EXPECT_EQ(f.DateCreationFrom(), today.addDays(1));
}

TEST_F(Finder, FileDateTimeOptions)
{
    file("T/a.wav");
    {
        QFile f(host("T/a.wav"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2021, 5, 6), QTime(7, 8, 9, 500)), QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(cFindFiles::GetFileDateTime("C:\\T\\a.wav", 1), QDateTime(QDate(2021, 5, 6), QTime(0, 0)));
    EXPECT_EQ(cFindFiles::GetFileDateTime("C:\\T\\a.wav", 4), QDateTime(QDate(1899, 12, 30), QTime(7, 8)));
    EXPECT_EQ(cFindFiles::GetFileDateTime("c:\\t\\A.WAV", 7), QDateTime(QDate(2021, 5, 6), QTime(7, 8, 9)));
    EXPECT_EQ(cFindFiles::GetFileDateTime("C:\\T\\a.wav", 0).date(), QDate::currentDate());
    EXPECT_TRUE(cFindFiles::GetFileDateTime("C:\\T\\a.wav", 6).isValid());
    EXPECT_FALSE(cFindFiles::GetFileDateTime("C:\\T\\a.wav", 9).isValid());
    EXPECT_FALSE(cFindFiles::GetFileDateTime("C:\\T\\a.wav", -1).isValid());
    EXPECT_FALSE(cFindFiles::GetFileDateTime("C:\\T\\gone.wav", 1).isValid());
    EXPECT_FALSE(cFindFiles::GetFileDateTime("C:\\T\\", 1).isValid());
    EXPECT_TRUE(cFindFiles::GetFileDateTime("C:\\T", 1).isValid()) << "a folder has stamps too";
}

TEST_F(Finder, DriveQueriesOnAMappedDrive)
{
    folder("Disk/P");
    qputenv("VELMAR_DRIVES", ("D=" + host("Disk") + ";E=" + host("Missing")).toLocal8Bit());
    DriveMap::instance().reload();
    const QStorageInfo volume(host("Disk"));
    const QString expectedType = volume.fileSystemType() == "tmpfs" ? "DRIVE_RAMDISK" : "DRIVE_FIXED";
    for (const char *d : {"D", "D:", "D:\\", "d:\\"})
        EXPECT_EQ(cFindFiles::GetDriveType(d), expectedType) << d;
    EXPECT_EQ(cFindFiles::GetDriveType("Q"), "DRIVE_NO_ROOT_DIR");
    EXPECT_EQ(cFindFiles::GetDriveType("E:"), "DRIVE_NO_ROOT_DIR") << "a letter whose folder is gone";
    EXPECT_EQ(cFindFiles::GetDriveType("D:\\P"), "DRIVE_NO_ROOT_DIR") << "not a root";

    qint64 free = -1, total = -1;
    EXPECT_EQ(cFindFiles::GetDiskFreeSpace("D:", &free, &total), 0);
    EXPECT_GT(total, 0);
    EXPECT_GT(free, 0);
    EXPECT_LE(free, total);
    EXPECT_EQ(total, volume.bytesTotal());
    EXPECT_EQ(cFindFiles::GetDiskFreeSpace("Q", &free, &total), 0);
    EXPECT_EQ(free, 0);
    EXPECT_EQ(total, 0);

    quint32 serial = 0;
    QString label = "untouched", fs;
    EXPECT_EQ(cFindFiles::GetDriveInfo("D", &serial, &label, &fs), volume.name());
    EXPECT_EQ(label, volume.name());
    EXPECT_EQ(fs, QString::fromLocal8Bit(volume.fileSystemType()));
    label = "untouched";
    EXPECT_EQ(cFindFiles::GetDriveInfo("Q:", nullptr, &label), "");
    EXPECT_EQ(label, "untouched");
    EXPECT_TRUE(cFindFiles::DriveIsReady("D"));
    EXPECT_TRUE(cFindFiles::DriveIsReady("D:\\"));
    EXPECT_FALSE(cFindFiles::DriveIsReady("E"));
    EXPECT_FALSE(cFindFiles::DriveIsReady("Q:"));

    cFindFiles f;
    EXPECT_EQ(f.ColDrives(), (QStringList{"D:\\", "E:\\", "Z:\\"}));
    EXPECT_EQ(cFindFiles::pvGetDrives(), f.ColDrives());
}

TEST_F(Finder, AnEmptyFolderSearchesEveryDrive)
{
    file("Disk1/a.vip");
    file("Disk2/b.vip");
    qputenv("VELMAR_DRIVES", ("E=" + host("Disk2") + ";D=" + host("Disk1") + ";Z=").toLocal8Bit());
    DriveMap::instance().reload();
    cFindFiles f;
    EXPECT_EQ(run(f, "", "*.vip"), framed({"D:\\a.vip", "E:\\b.vip"}));
}

TEST_F(Finder, FileAndPathQueries)
{
    file("P/A.wav");
    file("P/.dot");
    folder("P/Sub");
    EXPECT_TRUE(cFindFiles::FileExist("C:\\P\\A.wav"));
    EXPECT_TRUE(cFindFiles::FileExist("c:\\p\\a.WAV")) << "found case-blind";
    EXPECT_TRUE(cFindFiles::FileExist("C:\\P\\.dot"));
    EXPECT_TRUE(cFindFiles::FileExist("C:\\P\\Sub\\")) << "a folder ending in \\";
    EXPECT_TRUE(cFindFiles::FileExist("C:\\P\\*.wav"));
    EXPECT_FALSE(cFindFiles::FileExist("C:\\P\\*.mp3"));
    EXPECT_FALSE(cFindFiles::FileExist("C:\\"));
    EXPECT_FALSE(cFindFiles::FileExist("C:\\P\\gone.wav"));
    EXPECT_FALSE(cFindFiles::FileExist(""));
    EXPECT_TRUE(cFindFiles::IsDirectory("C:\\P\\Sub"));
    EXPECT_TRUE(cFindFiles::IsDirectory("C:\\"));
    EXPECT_FALSE(cFindFiles::IsDirectory("C:\\P\\A.wav"));

    EXPECT_EQ(cFindFiles::GetFileName("D:\\P\\Mezcla [v2].vip"), "Mezcla [v2].vip");
    EXPECT_EQ(cFindFiles::GetFileName("D:\\P\\"), "");
    EXPECT_EQ(cFindFiles::GetExtension("C:\\A\\Take 1.WAV"), "WAV");
    EXPECT_EQ(cFindFiles::GetExtension("C:\\A.B\\file"), "");
    EXPECT_EQ(cFindFiles::GetExtension("C:\\A\\file."), "");

    EXPECT_EQ(cFindFiles::GetDriveFromPath("C:\\Audio\\a.wav"), "C:\\");
    EXPECT_EQ(cFindFiles::GetDriveFromPath("C:"), "C:");
    EXPECT_EQ(cFindFiles::GetDriveFromPath("\\\\Server\\Share\\a.wav"), "\\\\Server\\Share");
    EXPECT_EQ(cFindFiles::GetDriveFromPath("relative\\a.wav"), "");

    EXPECT_FALSE(cFindFiles::GetFileType("C:\\P\\A.wav").isEmpty());
    EXPECT_LE(cFindFiles::GetFileType("C:\\P\\A.wav").size(), 79);
    EXPECT_EQ(cFindFiles::GetFileType("C:\\P\\gone.wav"), "");
}

TEST(FindFilesFormat, SizesInTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    EXPECT_EQ(cFindFiles::GetFormatSize(0), "0 bytes");
    EXPECT_EQ(cFindFiles::GetFormatSize(1023), "1023 bytes");
    EXPECT_EQ(cFindFiles::GetFormatSize(1024), "1,00 KB");
    EXPECT_EQ(cFindFiles::GetFormatSize(1536), "1,50 KB");
    EXPECT_EQ(cFindFiles::GetFormatSize(1048575), "1024,00 KB");
    EXPECT_EQ(cFindFiles::GetFormatSize(1048576), "1,00 MB");
    EXPECT_EQ(cFindFiles::GetFormatSize(1073741824.0 * 1500), "1500,00 GB");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(cFindFiles::GetFormatSize(1024), "1.00 KB");
    QLocale::setDefault(before);
}

TEST(FindFilesFormat, CompactPathKeepsTheFileName)
{
    const QString p = "C:\\path1\\path2\\sample.txt"; // 25 characters
    EXPECT_EQ(cFindFiles::CompactPath(p, 26), p);
    EXPECT_EQ(cFindFiles::CompactPath(p, 21), "C:\\pat...\\sample.txt");
    EXPECT_EQ(cFindFiles::CompactPath(p, 21).size(), 20);
    EXPECT_EQ(cFindFiles::CompactPath(p, 10), "sample...");
    EXPECT_EQ(cFindFiles::CompactPath(p, 3), "..");
    EXPECT_EQ(cFindFiles::CompactPath(p), "");
    EXPECT_EQ(cFindFiles::CompactPath(p, 1), "");
    const QString longPath = "C:\\" + QString(600, 'a') + "\\b.wav";
    EXPECT_EQ(cFindFiles::CompactPath(longPath, 100000).size(), 255) << "never beyond its buffer";
    EXPECT_TRUE(cFindFiles::CompactPath(longPath, 100000).endsWith("...\\b.wav"));
}

TEST_F(Finder, ExecutableOfAFile)
{
    file("X/run.sh", "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(host("X/run.sh"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    file("X/notes.txt", "plain words\n");
    EXPECT_EQ(cFindFiles::GetExecutable("C:\\X\\run.sh"), "C:\\X\\run.sh");
    EXPECT_EQ(cFindFiles::GetExecutable("C:\\X\\gone.txt"), "");

    // The desktop's default application for plain text.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    ASSERT_FALSE(config.isEmpty());
    ASSERT_FALSE(data.isEmpty());
    ASSERT_TRUE(Fixtures::writeFile(config + "/mimeapps.list",
                                    "[Default Applications]\ntext/plain=velmar-test-editor.desktop;\n"));
    ASSERT_TRUE(Fixtures::writeFile(data + "/applications/velmar-test-editor.desktop",
                                    "[Desktop Entry]\nType=Application\nName=Editor\nExec=sh %f\n"));
    const QString sh = QStandardPaths::findExecutable("sh");
    ASSERT_FALSE(sh.isEmpty());
    EXPECT_EQ(cFindFiles::GetExecutable("C:\\X\\notes.txt"), DriveMap::instance().toWindows(sh));
    QFile::remove(config + "/mimeapps.list");
    QFile::remove(data + "/applications/velmar-test-editor.desktop");
}

TEST_F(Finder, IconsAndTheFolderDialog)
{
    file("I/a.wav");
    const QPixmap large = cFindFilesUi::LoadIcon(cFindFilesUi::IconShow, "C:\\I\\a.wav");
    EXPECT_FALSE(large.isNull());
    EXPECT_LE(large.width(), 32);
    EXPECT_LE(cFindFilesUi::LoadIcon(cFindFilesUi::IconShow | cFindFilesUi::IconSmall, "C:\\I\\a.wav").width(), 16);
    EXPECT_TRUE(cFindFilesUi::LoadIcon(0, "C:\\I\\a.wav").isNull()) << "no icon asked";
    EXPECT_TRUE(cFindFilesUi::LoadIcon(cFindFilesUi::IconShow, "C:\\I\\gone.wav").isNull());

    QImage canvas(64, 64, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        EXPECT_TRUE(cFindFilesUi::DrawIcon("C:\\I\\a.wav", &painter, 8, 8));
        EXPECT_FALSE(cFindFilesUi::DrawIcon("C:\\I\\gone.wav", &painter));
    }
    int painted = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            painted += qAlpha(canvas.pixel(x, y)) != 0;
    EXPECT_GT(painted, 0) << "something was drawn";
    EXPECT_FALSE(cFindFilesUi::DrawIcon("C:\\I\\a.wav", nullptr));

    QLabel img;
    Buscar::ICO("C:\\I\\a.wav", &img);
    EXPECT_FALSE(img.pixmap().isNull());
    Buscar::ICO("C:\\I\\gone.wav", &img);
    EXPECT_TRUE(img.pixmap().isNull());

    folder("I/Elegida");
    {
        DialogAnswerer answer;
        answer.queuePath(host("I/Elegida"));
        EXPECT_EQ(Buscar::ElegirCArpeta("Elegir carpeta"), "C:\\I\\Elegida");
    }
    {
        DialogAnswerer answer;
        answer.queuePath("");
        EXPECT_EQ(cFindFilesUi::BrowseForFolder(nullptr, "Elegir carpeta"), "");
    }
}
