#include "cleanup/DeletionLog.h"
#include "cleanup/Recuperar.h"
#include "cleanup/Restore.h"
#include "main/Form1.h"

#include "platform/Ansi.h"
#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/ShellCopy.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Everything below a folder (links not followed), with each file's bytes.
QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        const QFileInfo fi(p);
        out.insert(p.mid(root.size() + 1),
                   fi.isSymLink() ? "link -> " + fi.symLinkTarget().toUtf8() : fi.isDir() ? "dir" : readAll(p));
    }
    return out;
}

QByteArray logBytes(const QList<QByteArray> &lines)
{
    QByteArray log = "Archivos borrados  12/31/2026 a las 23:59:59\r\n" + QByteArray(61, '-') + "\r\n";
    for (const QByteArray &l : lines)
        log += l + "\r\n";
    return log;
}

ssize_t diskFull(int, const void *, size_t)
{
    errno = ENOSPC;
    return -1;
}

// A write that first puts another file at `g_intruder` (another program
// taking the name while the copy is written).
QByteArray g_intruder;
ssize_t intrudingWrite(int fd, const void *data, size_t size)
{
    if (!g_intruder.isEmpty()) {
        Fixtures::writeFile(QFile::decodeName(g_intruder), "intruder");
        g_intruder.clear();
    }
    return ::write(fd, data, size);
}

// A write that says it wrote everything but wrote half.
ssize_t shortWrite(int fd, const void *data, size_t size)
{
    return ::write(fd, data, size / 2) < 0 ? -1 : ssize_t(size);
}

class RestoreWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(outside.isValid());
        answerYes(true);
    }
    void TearDown() override
    {
        DeletionLog::readLimits() = {};
        WindowTest::TearDown();
    }
    // Every question of the copy is noted and answered yes (or no).
    void answerYes(bool yes)
    {
        Ask::setFunction([this, yes](const QString &, const QString &text, const QStringList &) {
            asked << text;
            return yes ? 0 : 1;
        });
    }
    // A log in the folder B of the drive, with a backup copy for each name.
    void writeLog(const QList<QByteArray> &lines, const QMap<QString, QByteArray> &backups = {})
    {
        write("B/Archivos_Borrados.log", logBytes(lines));
        for (auto it = backups.cbegin(); it != backups.cend(); ++it)
            write("B/" + it.key(), it.value());
    }
    // Reads the log of B and restores it, as the user does with both buttons.
    Recuperar &restore()
    {
        DialogAnswerer answer;
        Recuperar &r = recuperar();
        r.leerLog(win("B/Archivos_Borrados.log"));
        if (!r.cmdRecuperar->isHidden())
            r.cmdRecuperar->click();
        return r;
    }

    QTemporaryDir outside;
    QStringList asked;
};

} // namespace

TEST_F(RestoreWindow, LinesThatNameNoRestorableFileAreRefusedWithTheirReason)
{
    const struct
    {
        QByteArray line;
        QString backup; // a copy under the line's last name, where one can exist
        QString reason;
    } rows[] = {
        {QByteArray("D:\\P\\a\0b.wav", 12), "a", "carácter NUL"},
        {"D:\\P\\a\x01" "b.wav", "a\x01" "b.wav", "carácter de control"},
        {"D:\\P\\a\x81" "b.wav", "", "carácter de control"},
        {"D:\\P\\a:b.wav", "a:b.wav", "no es un nombre válido"},
        {"D:\\P\\a?.wav", "a?.wav", "no es un nombre válido"},
        {"D:\\P?\\c.wav", "c.wav", "no es un nombre válido"},
        {"D:\\P\\CON.wav", "CON.wav", "no es un nombre válido"},
        {"D:\\P\\notes.txt", "notes.txt", "no es un archivo de audio"},
        {"D:\\P\\sub\\..", "", "no es un archivo de audio"},
        {"P\\rel.wav", "rel.wav", "no es la ruta de un archivo"},
        {"\\\\server\\share\\s.wav", "s.wav", "no es la ruta de un archivo"},
        {"D:\\P\\" + QByteArray(40000, 'x') + ".wav", "", "demasiado larga"},
        {"D:\\P\\" + QByteArray(1 << 20, 'y') + ".wav", "", "demasiado larga"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.reason.toStdString() + " " + row.line.left(40).toStdString());
        QTemporaryDir fresh;
        qputenv("VELMAR_DRIVES", "D=" + fresh.path().toLocal8Bit() + ";Z=" + outside.path().toLocal8Bit());
        DriveMap::instance().reload();
        const QString base = fresh.path();
        QMap<QString, QByteArray> backups{{"good.wav", "good"}};
        if (!row.backup.isEmpty())
            backups.insert(row.backup, "evil");
        Fixtures::writeFile(base + "/B/Archivos_Borrados.log", logBytes({"D:\\P\\good.wav", row.line}));
        for (auto it = backups.cbegin(); it != backups.cend(); ++it)
            Fixtures::writeFile(base + "/B/" + it.key(), it.value());
        QMap<QString, QByteArray> expected = tree(base);
        const QMap<QString, QByteArray> outsideBefore = tree(outside.path());

        Recuperar &r = restore();
        EXPECT_EQ(Form1::lines(r.ListRecuperar), QStringList{"D:\\P\\good.wav"});
        EXPECT_TRUE(r.readProblems().join("\n").contains(row.reason)) << qPrintable(r.readProblems().join("\n"));
        EXPECT_EQ(r.lastOutcome().copied, 1);
        EXPECT_EQ(r.lastOutcome().failed, 1);
        EXPECT_TRUE(r.lastOutcome().problems.join("\n").contains(row.reason));
        // Only the good line's file is new; nothing outside the drive.
        expected.insert("P", "dir");
        expected.insert("P/good.wav", "good");
        EXPECT_EQ(tree(base), expected);
        EXPECT_EQ(tree(outside.path()), outsideBefore);
        unloadRecuperar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(RestoreWindow, DotDotStaysWithinTheDrive)
{
    writeLog({"D:\\X\\rest\\..\\..\\..\\..\\outside7\\evil.wav"}, {{"evil.wav", "evil"}});
    const Recuperar &r = restore();
    EXPECT_EQ(r.lastOutcome().copied, 1);
    EXPECT_EQ(readAll(host("outside7/evil.wav")), "evil");
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/../outside7"));
    EXPECT_TRUE(asked.join("\n").contains("La carpeta D:\\outside7 no existe")) << qPrintable(asked.join("\n"));
}

TEST_F(RestoreWindow, AZDriveLineIsRestoredLikeAnyOther)
{
    QTemporaryDir z;
    qputenv("VELMAR_DRIVES", "D=" + dir.path().toLocal8Bit() + ";Z=" + z.path().toLocal8Bit());
    DriveMap::instance().reload();
    writeLog({"Z:\\Z1\\a.wav", "Z:\\Z1\\b.txt"}, {{"a.wav", "a"}, {"b.txt", "b"}});
    const Recuperar &r = restore();
    EXPECT_EQ(readAll(z.path() + "/Z1/a.wav"), "a");
    EXPECT_FALSE(QFileInfo::exists(z.path() + "/Z1/b.txt"));
    EXPECT_EQ(r.lastOutcome().copied, 1);
    EXPECT_EQ(r.lastOutcome().failed, 1);
}

TEST_F(RestoreWindow, AFolderBelowTheRootThatIsALinkIsNeverWrittenThrough)
{
    write("Q/keep.txt", "q");
    ASSERT_TRUE(QFile::link(outside.path(), host("P")));           // a folder of the path
    ASSERT_TRUE(QFile::link(outside.path(), host("Q/Sub")));       // a deeper one
    write("R/.placeholder", "");
    ASSERT_TRUE(Fixtures::writeFile(outside.path() + "/t.wav", "outside"));
    ASSERT_TRUE(QFile::link(outside.path() + "/t.wav", host("R/t.wav"))); // the file itself
    writeLog({"D:\\P\\a.wav", "D:\\Q\\Sub\\b.wav", "D:\\R\\t.wav"}, {{"a.wav", "a"}, {"b.wav", "b"}, {"t.wav", "t"}});
    const Recuperar &r = restore();
    EXPECT_EQ(r.lastOutcome().copied, 0);
    EXPECT_EQ(r.lastOutcome().failed, 3);
    const QString problems = r.lastOutcome().problems.join("\n");
    EXPECT_EQ(problems.count("enlace simbólico"), 3) << qPrintable(problems);
    EXPECT_EQ(tree(outside.path()), (QMap<QString, QByteArray>{{"t.wav", "outside"}}));
    EXPECT_TRUE(QFileInfo(host("R/t.wav")).isSymLink());
}

TEST_F(RestoreWindow, TheBackupIsTheRegularFileOfThatExactNameInTheLogsFolder)
{
    ASSERT_TRUE(Fixtures::writeFile(outside.path() + "/secret.wav", "secret"));
    writeLog({"D:\\P\\a.wav", "D:\\P\\l.wav", "D:\\P\\dir.wav"}, {{"A.WAV", "other case"}});
    ASSERT_TRUE(QFile::link(outside.path() + "/secret.wav", host("B/l.wav")));
    ASSERT_TRUE(QDir().mkpath(host("B/dir.wav")));
    const Recuperar &r = restore();
    EXPECT_EQ(r.lastOutcome().copied, 0);
    EXPECT_EQ(r.lastOutcome().failed, 3);
    const QString problems = r.lastOutcome().problems.join("\n");
    EXPECT_TRUE(problems.contains("no está su copia de seguridad")) << qPrintable(problems);
    EXPECT_TRUE(problems.contains("copia de seguridad es un enlace simbólico"));
    EXPECT_TRUE(problems.contains("copia de seguridad no es un archivo normal"));
    EXPECT_FALSE(QFileInfo::exists(host("P")));
}

TEST_F(RestoreWindow, TheTargetIsTheExactPathNeverAnotherCase)
{
    write("p/a.wav", "other folder");
    writeLog({"D:\\P\\a.wav"}, {{"a.wav", "backup"}});
    const Recuperar &r = restore();
    EXPECT_EQ(r.lastOutcome().copied, 1);
    EXPECT_EQ(readAll(host("P/a.wav")), "backup");
    EXPECT_EQ(readAll(host("p/a.wav")), "other folder");
}

TEST_F(RestoreWindow, AnExistingFileIsReplacedOnlyAfterYes)
{
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        write("P/a.wav", "newer");
        writeLog({"D:\\P\\a.wav"}, {{"a.wav", "backup"}});
        asked.clear();
        answerYes(yes);
        const QDateTime existing = QFileInfo(host("P/a.wav")).lastModified();
        const QDateTime backup = QFileInfo(host("B/a.wav")).lastModified();
        const Recuperar &r = restore();
        EXPECT_EQ(asked, QStringList{"Ya existe el archivo D:\\P\\a.wav\r\nArchivo existente: "
                                     + ShellCopy::fileFacts(5, existing) + "\r\nCopia de seguridad: "
                                     + ShellCopy::fileFacts(6, backup) + "\r\n¿Desea reemplazarlo?"});
        EXPECT_EQ(readAll(host("P/a.wav")), yes ? "backup" : "newer");
        EXPECT_EQ(r.lastOutcome().copied, yes ? 1 : 0);
        EXPECT_EQ(r.lastOutcome().declined, yes ? 0 : 1);
        EXPECT_EQ(QDir(host("P")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{"a.wav"});
        unloadRecuperar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(RestoreWindow, TheHeaderOfALogOfTwoRunsIsTheNewestRuns)
{
    write("B/Archivos_Borrados.log", logBytes({"D:\\P\\a.wav"}) + "Archivos borrados  1/2/2027 a las 08:00:00\r\n"
                                         + QByteArray(61, '-') + "\r\nD:\\P\\b.wav\r\n");
    Recuperar &r = recuperar();
    r.leerLog(win("B/Archivos_Borrados.log"));
    EXPECT_EQ(r.Label1->text(), "Hay: 2 Archivos borrados  1/2/2027 a las 08:00:00");
}

// A run that deleted nothing still adds its block: the header shown is that
// of the newest run that lists files, and the restore says how many came
// back of how many.
TEST_F(RestoreWindow, TheHeaderIsThatOfTheNewestRunThatListsFiles)
{
    const QByteArray empty = "Archivos borrados  3/3/2027 a las 09:00:00\r\n" + QByteArray(61, '-') + "\r\n";
    write("B/Archivos_Borrados.log", logBytes({"D:\\P\\a.wav"}) + "Archivos borrados  1/2/2027 a las 08:00:00\r\n"
                                         + QByteArray(61, '-') + "\r\nD:\\P\\b.wav\r\nD:\\P\\c.wav\r\n" + empty
                                         + empty);
    write("B/a.wav", "a");
    write("B/b.wav", "b");
    write("P/keep.wav", "k");
    Recuperar &r = restore();
    EXPECT_EQ(readAll(host("P/a.wav")), "a");
    EXPECT_EQ(r.Label1->text(), "Operación terminada   Recuperados: 2 de 3    No reemplazados: 0    Fallidos: 1");
    unloadRecuperar();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Recuperar &again = recuperar();
    again.leerLog(win("B/Archivos_Borrados.log"));
    EXPECT_EQ(again.Label1->text(), "Hay: 3 Archivos borrados  1/2/2027 a las 08:00:00");

    // A log of empty blocks only names the newest.
    EXPECT_EQ(DeletionLog::read(QString::fromLatin1(logBytes({}) + empty).split("\r\n")).label,
              "Archivos borrados  3/3/2027 a las 09:00:00");
}

TEST_F(RestoreWindow, AMissingFolderIsMadeOnlyAfterYes)
{
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        writeLog({"D:\\New\\Deep\\a.wav"}, {{"a.wav", "backup"}});
        asked.clear();
        answerYes(yes);
        const Recuperar &r = restore();
        EXPECT_EQ(asked, QStringList{"La carpeta D:\\New\\Deep no existe.\r\n¿Desea crearla?"});
        EXPECT_EQ(QFileInfo::exists(host("New")), yes);
        EXPECT_EQ(readAll(host("New/Deep/a.wav")), yes ? "backup" : "");
        EXPECT_EQ(r.lastOutcome().copied, yes ? 1 : 0);
        EXPECT_EQ(r.lastOutcome().failed, yes ? 0 : 1);
        unloadRecuperar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(RestoreWindow, AFullDiskIsReportedWithItsReasonAndLeavesNothing)
{
    write("P/keep.wav", "k");
    writeLog({"D:\\P\\a.wav"}, {{"a.wav", "backup"}});
    ShellCopy::setRestoreWriteForTest(&diskFull);
    const Recuperar &r = restore();
    EXPECT_EQ(r.lastOutcome().copied, 0);
    EXPECT_EQ(r.lastOutcome().failed, 1);
    EXPECT_TRUE(r.lastOutcome().problems.join("\n").contains("el disco está lleno"));
    EXPECT_EQ(QDir(host("P")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"keep.wav"});
    EXPECT_TRUE(r.Label1->text().contains("Fallidos: 1"));
}

TEST_F(RestoreWindow, AFileThatTakesTheNameDuringTheCopyIsNeverReplaced)
{
    QDir().mkpath(host("P"));
    writeLog({"D:\\P\\a.wav"}, {{"a.wav", "backup"}});
    g_intruder = QFile::encodeName(host("P/a.wav"));
    ShellCopy::setRestoreWriteForTest(&intrudingWrite);
    const Recuperar &r = restore();
    EXPECT_EQ(readAll(host("P/a.wav")), "intruder");
    EXPECT_EQ(r.lastOutcome().copied, 0);
    EXPECT_EQ(r.lastOutcome().failed, 1);
    EXPECT_EQ(QDir(host("P")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"a.wav"});
}

TEST_F(RestoreWindow, TheFileAskedAboutIsIdentifiedAgainRightBeforeItIsReplaced)
{
    // While the user is asked, the file in place becomes a link, another
    // regular file is renamed over it, or it is written to.
    const QString outsideFile = outside.path() + "/t.wav";
    ASSERT_TRUE(Fixtures::writeFile(outsideFile, "outside"));
    // Each is given the file's host path.
    const struct
    {
        const char *what;
        std::function<void(const QString &)> meanwhile;
        QByteArray after; // what P/a.wav holds afterwards ("" for the link)
    } rows[] = {
        {"link",
         [&](const QString &file) {
             QFile::remove(file);
             QFile::link(outsideFile, file);
         },
         ""},
        {"renamed over", // of the same length and time: only its inode differs
         [](const QString &file) { Fixtures::replaceLookingTheSame(file, file + ".old"); },
         Fixtures::noise(5, 99)},
        {"written to",
         [](const QString &file) {
             QFile f(file);
             f.open(QIODevice::Append);
             f.write(" and more");
         },
         "newer and more"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        QDir(host("P")).removeRecursively();
        write("P/a.wav", "newer");
        writeLog({"D:\\P\\a.wav"}, {{"a.wav", "backup"}});
        Ask::setFunction([&](const QString &, const QString &, const QStringList &) {
            row.meanwhile(host("P/a.wav"));
            return 0;
        });
        const Recuperar &r = restore();
        EXPECT_EQ(r.lastOutcome().copied, 0);
        EXPECT_EQ(r.lastOutcome().failed, 1);
        EXPECT_TRUE(r.lastOutcome().problems.join("\n").contains("ha cambiado; no se reemplaza"))
            << qPrintable(r.lastOutcome().problems.join("\n"));
        if (row.after.isEmpty())
            EXPECT_TRUE(QFileInfo(host("P/a.wav")).isSymLink());
        else
            EXPECT_EQ(readAll(host("P/a.wav")), row.after);
        EXPECT_EQ(tree(outside.path()), (QMap<QString, QByteArray>{{"t.wav", "outside"}}));
        unloadRecuperar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(RestoreWindow, TheTargetOfALineRefusesWhatNoRestoreMayWriteWhoeverAsks)
{
    // Asked directly, not through the window (whose reading leaves such
    // lines out first): no drive path, a Windows device name, no audio file.
    const struct
    {
        QString line;
        QString backup;
        QString reason;
    } rows[] = {
        {"P\\rel.wav", "rel.wav", "no es la ruta de un archivo"},
        {"D:\\a\\CON.wav", "CON.wav", "no es un nombre válido"},
        {"D:\\a\\notes.txt", "notes.txt", "no es un archivo de audio"},
    };
    for (const auto &row : rows)
        write("B/" + row.backup, "evil");
    const SafeFs::Folder backups = Fixtures::openFolder(host("B"));
    ASSERT_TRUE(backups.isOpen());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line.toStdString());
        QString why;
        EXPECT_FALSE(Restore::target(row.line, &why).has_value());
        EXPECT_TRUE(why.contains(row.reason)) << qPrintable(why);
        const ShellResult r = Restore::one(backups.fd(), row.line);
        EXPECT_EQ(r.outcome, ShellResult::Failed);
        EXPECT_TRUE(r.reason.contains(row.reason)) << qPrintable(r.reason);
    }
    EXPECT_FALSE(QFileInfo::exists(host("a")));
    EXPECT_FALSE(QFileInfo::exists(host("P")));
    QString why;
    EXPECT_TRUE(Restore::target("D:\\a\\good.wav", &why).has_value()) << qPrintable(why);
}

TEST_F(RestoreWindow, ACopyShorterThanItsBackupIsNotReportedAsRestored)
{
    writeLog({"D:\\a.wav"}, {{"a.wav", Fixtures::noise(10000, 3)}});
    ShellCopy::setRestoreWriteForTest(&shortWrite);
    const Recuperar &r = restore();
    EXPECT_EQ(r.lastOutcome().copied, 0);
    EXPECT_EQ(r.lastOutcome().failed, 1);
    EXPECT_FALSE(QFileInfo::exists(host("a.wav")));
}

TEST(RestoreLog, RepeatedNamesInEitherCaseAreLeftOut)
{
    const DeletionLog::Contents c = DeletionLog::read(
        {"D:\\A\\Take.wav", "D:\\C\\x.wav", "D:\\B\\TAKE.WAV", "D:\\C\\x.wav", "D:\\C\\.\\x.wav"});
    EXPECT_EQ(c.paths, QStringList{"D:\\C\\x.wav"}) << "the same target more than once is one path";
    EXPECT_EQ(c.repeated, QStringList{"Take.wav"});
}

TEST(RestoreLog, ALineOfNulsIsNoLine)
{
    const DeletionLog::Contents c = DeletionLog::read({"D:\\A\\x.wav", QString(40, QChar(0)), " \t"});
    EXPECT_EQ(c.paths, QStringList{"D:\\A\\x.wav"});
    EXPECT_EQ(c.refusedCount, 0);
}

TEST(RestoreLog, BlocksOfAnySizeReadAsTheWholeText)
{
    // Line ends of every kind, split anywhere by the block size; a UTF-8 log
    // with its mark; a tail of NULs; a line with a NUL.
    QByteArray ansi = logBytes({"D:\\A\\a.wav", Ansi::encode("D:\\A\\Canción.wav")});
    ansi += "D:\\A\\b.wav\nD:\\A\\c.wav\rD:\\A\\d.wav";
    const QByteArray utf8 = "\xEF\xBB\xBF" + logBytes({"D:\\A\\Запись.wav"}) + QByteArray(5000, '\0');
    const QByteArray nul = logBytes({QByteArray("D:\\A\\e\0.wav", 11), "D:\\A\\f.wav"});
    const struct
    {
        QByteArray bytes;
        QStringList paths;
        qint64 refused;
    } rows[] = {
        {ansi, {"D:\\A\\a.wav", "D:\\A\\Canción.wav", "D:\\A\\b.wav", "D:\\A\\c.wav", "D:\\A\\d.wav"}, 0},
        {utf8, {"D:\\A\\Запись.wav"}, 0},
        {nul, {"D:\\A\\f.wav"}, 1},
    };
    QTemporaryDir dir;
    for (const auto &row : rows) {
        for (const qint64 block : {16, 17, 4096}) {
            SCOPED_TRACE(block);
            DeletionLog::readLimits().blockBytes = block;
            const QString path = dir.path() + "/log";
            ASSERT_TRUE(Fixtures::writeFile(path, row.bytes));
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
            const DeletionLog::Contents c = DeletionLog::readFile(fd);
            ::close(fd);
            EXPECT_EQ(c.paths, row.paths);
            EXPECT_EQ(c.refusedCount, row.refused);
            EXPECT_EQ(c.label, "Archivos borrados  12/31/2026 a las 23:59:59");
            EXPECT_FALSE(c.cut);
        }
    }
    DeletionLog::readLimits() = {};
}

TEST_F(RestoreWindow, ALogOfMoreLinesThanTheBoundIsReadUpToItAndSaysSo)
{
    DeletionLog::readLimits().maxLines = 3;
    writeLog({"D:\\A\\1.wav", "D:\\A\\2.wav", "D:\\A\\3.wav", "D:\\A\\4.wav"});
    DialogAnswerer answer;
    Recuperar &r = recuperar();
    r.leerLog(win("B/Archivos_Borrados.log"));
    EXPECT_EQ(r.ListRecuperar->count(), 3);
    EXPECT_TRUE(r.readProblems().join("\n").contains("demasiado largo"));
}

TEST_F(RestoreWindow, AHugeSparseLogIsReadInBlocksWithinItsBound)
{
    // 3 GB, nearly all of it a hole of NULs (no disk used): its few lines are
    // listed, the reading stops at its bound, and memory stays small.
    write("B/Archivos_Borrados.log", logBytes({"D:\\A\\a.wav", "D:\\A\\b.wav"}));
    {
        const int fd = ::open(QFile::encodeName(host("B/Archivos_Borrados.log")).constData(), O_WRONLY);
        ASSERT_EQ(::ftruncate(fd, off_t(3) << 30), 0);
        ::close(fd);
    }
    auto peakKb = [] {
        QFile status("/proc/self/status");
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &l : status.readAll().split('\n')) {
            if (l.startsWith("VmHWM:"))
                return l.mid(6).trimmed().split(' ').first().toLongLong();
        }
        return 0LL;
    };
    QFile clear("/proc/self/clear_refs");
    const bool canResetPeak = clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    clear.close();
    const long long before = peakKb();
    DialogAnswerer answer;
    Recuperar &r = recuperar();
    r.leerLog(win("B/Archivos_Borrados.log"));
    EXPECT_EQ(Form1::lines(r.ListRecuperar), (QStringList{"D:\\A\\a.wav", "D:\\A\\b.wav"}));
    ASSERT_EQ(r.readProblems().size(), 1) << qPrintable(r.readProblems().join("\n"));
    EXPECT_TRUE(r.readProblems().first().contains("demasiado largo")) << "the NULs are no lines";
    if (canResetPeak) {
        EXPECT_LT(peakKb() - before, 32 * 1024) << "memory grew by more than 32 MB";
    }
}

TEST_F(RestoreWindow, AnythingButARegularFileAsTheLogIsNotValidAndNeverBlocks)
{
    ASSERT_TRUE(QDir().mkpath(host("F")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(host("F/Archivos_Borrados.log")).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkpath(host("G/Archivos_Borrados.log")));
    ASSERT_TRUE(QDir().mkpath(host("H")));
    ASSERT_TRUE(QFile::link("/dev/zero", host("H/Archivos_Borrados.log")));
    for (const char *folder : {"F", "G", "H"}) {
        SCOPED_TRACE(folder);
        // Should the window open the pipe and wait for a writer, this one
        // comes after a while, so the test fails instead of hanging.
        std::atomic<bool> done = false, blocked = false;
        const QByteArray fifo = QFile::encodeName(host("F/Archivos_Borrados.log"));
        std::thread watchdog([&] {
            for (int i = 0; i < 300 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (done)
                return;
            const int w = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (w >= 0) {
                blocked = true;
                ::close(w);
            }
        });
        Recuperar &r = recuperar();
        r.show();
        r.leerLog(win(QString(folder) + "/Archivos_Borrados.log"));
        done = true;
        watchdog.join();
        EXPECT_FALSE(blocked) << "the window waited on a pipe";
        EXPECT_EQ(r.Label1->text(), "Este archivo no es válido");
        EXPECT_TRUE(r.isHidden());
        EXPECT_EQ(r.ListRecuperar->count(), 0);
        EXPECT_TRUE(r.cmdRecuperar->isHidden());
        unloadRecuperar();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
