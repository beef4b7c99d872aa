#include "cleanup/DeletionRun.h"

#include "cleanup/DeletionLog.h"
#include "platform/Ask.h"
#include "platform/EventPump.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The real file operations, each of which a test can replace, and a record
// of the order they ran in.
class Ops final : public Deletion::FileOps
{
public:
    std::function<ShellResult(const FileRecord &)> onRemove, onTrash;
    std::function<void()> afterRemove; // runs after the real removal or trashing
    bool commitEachCopy = false;       // a batch of one copy per item
    std::function<std::vector<ShellCopy::Batch::Committed>()> onCommit;
    std::function<bool(const QString &, QString *)> onLogLine;
    std::function<bool(QString *)> onSync;
    QStringList events;
    QString logFile; // the log on disk, read when a file goes

    ShellResult trash(const FileRecord &file, const QString &shown, bool confirm) override
    {
        events << "trash " + shown;
        const ShellResult r = onTrash ? onTrash(file) : FileOps::trash(file, shown, confirm);
        if (afterRemove)
            afterRemove();
        return r;
    }
    ShellResult remove(const SafeFs::Folder &folder, const FileRecord &file) override
    {
        events << "remove " + QFile::decodeName(file.name());
        if (!logFile.isEmpty())
            linesOnDiskWhenRemoved << QString::fromUtf8(readAll(logFile));
        const ShellResult r = onRemove ? onRemove(file) : FileOps::remove(folder, file);
        if (afterRemove)
            afterRemove();
        return r;
    }
    int pendingCopies() const override { return commitEachCopy ? 1 << 20 : FileOps::pendingCopies(); }
    ShellResult addCopy(const FileRecord &file) override
    {
        events << "copy " + QFile::decodeName(file.name());
        return FileOps::addCopy(file);
    }
    std::vector<ShellCopy::Batch::Committed> commitCopies() override
    {
        events << "commit";
        return onCommit ? onCommit() : FileOps::commitCopies();
    }
    bool addLogLine(const QString &line, QString *why) override
    {
        events << "line " + line;
        return onLogLine ? onLogLine(line, why) : FileOps::addLogLine(line, why);
    }
    bool syncLog(QString *why) override
    {
        events << "sync";
        return onSync ? onSync(why) : FileOps::syncLog(why);
    }
    QStringList linesOnDiskWhenRemoved;
};

// A progress that counts its pumps and runs a test's action at each.
class Pumped final : public Progress
{
public:
    std::function<void(int pumps)> onPump;
    int pumps = 0;
    void setRange(qint64, qint64) override {}
    void setValue(qint64) override {}
    bool cancelled() const override { return false; }
    void pump() override
    {
        ++pumps;
        if (onPump)
            onPump(pumps);
    }
};

// Everything in a folder but the log, and the log's lines after its header.
QStringList namesBeside(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeAll("Archivos_Borrados.log");
    return names;
}

QStringList loggedLines(const QString &log)
{
    QStringList lines = QString::fromUtf8(readAll(log)).split("\r\n", Qt::SkipEmptyParts);
    return lines.mid(2);
}

class DeletionRun : public LibraryTest
{
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        Ask::setFunction({});
        QDir().mkpath(host("Backup"));
    }
    void TearDown() override
    {
        Ask::setFunction({});
        LibraryTest::TearDown();
    }
    // Files written now and recorded as the analysis records them.
    std::vector<Deletion::Item> items(const QStringList &rels)
    {
        std::vector<Deletion::Item> out;
        for (const QString &rel : rels) {
            if (!QFileInfo::exists(host(rel)))
                write(rel, "take " + rel.toUtf8());
            out.push_back({int(out.size()), win(rel), Fixtures::recordOfWindows(win(rel))});
        }
        return out;
    }
    Deletion::Options options(bool toTrash, bool backup)
    {
        Deletion::Options o;
        o.toTrash = toTrash;
        o.backupFolder = backup ? win("Backup") : QString();
        o.date = "9/12/2026";
        o.time = "10:00:00";
        o.rows = 10;
        return o;
    }
    Deletion::Report run(const std::vector<Deletion::Item> &list, const Deletion::Options &o)
    {
        NoProgress none;
        return Deletion::run(list, o, ops, none);
    }
    Deletion::Report run(const std::vector<Deletion::Item> &list, const Deletion::Options &o, Progress &progress)
    {
        return Deletion::run(list, o, ops, progress);
    }
    void freshBackup()
    {
        QDir(host("Backup")).removeRecursively();
        QDir().mkpath(host("Backup"));
    }
    static Deletion::Status status(const Deletion::Report &r, size_t i) { return r.items.at(i).status; }
    // Files in the user's trash.
    static int inTrash()
    {
        int n = 0;
        QDirIterator it(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files",
                        QDir::Files | QDir::Hidden);
        while (it.hasNext()) {
            it.next();
            ++n;
        }
        return n;
    }
    Ops ops;
};

using Deletion::Status;

struct Mode
{
    bool toTrash;
    bool backup;
};
const Mode kModes[] = {{false, false}, {true, false}, {false, true}, {true, true}};

} // namespace

TEST_F(DeletionRun, ACaseVariantOfADeletedFileIsNeverTakenForIt)
{
    // A project uses take.wav; the unused Take.wav beside it goes first. A
    // second run over the same record must not find take.wav case-blind.
    for (const Mode m : kModes) {
        QDir(host("P")).removeRecursively();
        QDir(host("Backup")).removeRecursively();
        QDir().mkpath(host("Backup"));
        write("P/take.wav", "the used take");
        const auto list = items({"P/Take.wav"});
        Deletion::Report first = run(list, options(m.toTrash, m.backup));
        ASSERT_EQ(status(first, 0), Status::Deleted) << m.toTrash << m.backup;
        QDir(host("Backup")).removeRecursively();
        QDir().mkpath(host("Backup"));
        const Deletion::Report second = run(list, options(m.toTrash, m.backup));
        EXPECT_EQ(status(second, 0), Status::Skipped) << m.toTrash << m.backup;
        EXPECT_EQ(second.deleted, 0);
        EXPECT_EQ(readAll(host("P/take.wav")), "the used take") << m.toTrash << m.backup;
        EXPECT_FALSE(QFileInfo::exists(host("Backup/take.wav"))) << "nor copied as its backup";
    }
}

TEST_F(DeletionRun, AFileReplacedOrLinkedSinceTheAnalysisIsKept)
{
    for (const Mode m : kModes) {
        QDir(host("P")).removeRecursively();
        QDir(host("Elsewhere")).removeRecursively();
        const auto list = items({"P/Audio/a.wav", "P/b.wav", "P/c.wav", "P/Takes/d.wav"});
        // d.wav: its folder moved and a link put in its place; the file is
        // the same, but the path the user saw now goes through a link.
        ASSERT_TRUE(QDir().rename(host("P/Takes"), host("P/Moved")));
        ASSERT_TRUE(QFile::link(host("P/Moved"), host("P/Takes")));
        // a.wav: its folder becomes a link to a folder outside that holds a
        // file of the same name.
        write("Elsewhere/a.wav", "precious");
        ASSERT_TRUE(QDir(host("P/Audio")).removeRecursively());
        ASSERT_EQ(::symlink(QFile::encodeName(host("Elsewhere")).constData(),
                            QFile::encodeName(host("P/Audio")).constData()), 0);
        // b.wav: another file of the same name took its place (the old one
        // kept aside, so its inode number cannot come back).
        ASSERT_TRUE(QFile::rename(host("P/b.wav"), host("P/b-old.wav")));
        write("P/b.wav", "someone else's take");
        // c.wav: now a link to a file outside.
        QFile::remove(host("P/c.wav"));
        ASSERT_TRUE(QFile::link(host("Elsewhere/a.wav"), host("P/c.wav")));

        const Deletion::Report r = run(list, options(m.toTrash, m.backup));
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(status(r, i), Status::Skipped) << i << r.problems.join(" | ").toStdString();
        EXPECT_TRUE(QFileInfo::exists(host("P/Moved/d.wav")));
        EXPECT_TRUE(r.problems.join("\n").contains("enlace simbólico"));
        EXPECT_TRUE(r.problems.join("\n").contains("otro archivo tiene su nombre"));
        EXPECT_EQ(readAll(host("Elsewhere/a.wav")), "precious");
        EXPECT_EQ(readAll(host("P/b.wav")), "someone else's take");
        EXPECT_TRUE(QFileInfo(host("P/c.wav")).isSymLink());
    }
}

TEST_F(DeletionRun, ProtectedFoldersHoldInEveryMode)
{
    for (const Mode m : kModes) {
        const auto list = items({"Keep/a.wav", "Other/b.wav"});
        Deletion::Options o = options(m.toTrash, m.backup);
        o.protectedFolders = {win("Keep")};
        const Deletion::Report r = run(list, o);
        EXPECT_EQ(status(r, 0), Status::Skipped) << m.toTrash << m.backup;
        EXPECT_EQ(status(r, 1), Status::Deleted) << m.toTrash << m.backup;
        EXPECT_TRUE(QFileInfo::exists(host("Keep/a.wav")));
        EXPECT_FALSE(QFileInfo::exists(host("Backup/a.wav"))) << "not even copied";
        QDir(host("Backup")).removeRecursively();
        QDir().mkpath(host("Backup"));
    }
}

TEST_F(DeletionRun, ATrashThatFailsOrIsDeclinedNeverBecomesADeletionForGood)
{
    for (const bool backup : {false, true}) {
        const auto list = items({"T/a.wav", "T/b.wav"});
        ops.onTrash = [](const FileRecord &f) {
            return f.name() == "a.wav" ? ShellResult::failed("la papelera no puede") : ShellResult::declined();
        };
        ops.events.clear();
        const Deletion::Report r = run(list, options(true, backup));
        EXPECT_EQ(status(r, 0), Status::Failed);
        EXPECT_EQ(status(r, 1), Status::Skipped);
        EXPECT_EQ(r.deleted, 0);
        EXPECT_TRUE(QFileInfo::exists(host("T/a.wav")));
        EXPECT_TRUE(QFileInfo::exists(host("T/b.wav")));
        EXPECT_TRUE(ops.events.filter("remove").isEmpty()) << ops.events.join(" | ").toStdString();
        QDir(host("Backup")).removeRecursively();
        QDir().mkpath(host("Backup"));
    }
}

// The real trash, with no trash that can take the file (the data folder of
// the home trash is read-only): the item fails with the reason, the file
// stays, no record is left, nothing is deleted for good.
TEST_F(DeletionRun, WithNoUsableRealTrashTheFileStaysAndTheItemFails)
{
    RUN_AS_ORDINARY_USER();
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    ASSERT_TRUE(QDir().mkpath(host("home")));
    ASSERT_EQ(::chmod(QFile::encodeName(host("home")).constData(), 0555), 0);
    qputenv("XDG_DATA_HOME", QFile::encodeName(host("home")));
    for (const bool backup : {false, true}) {
        const auto list = items({"T/a.wav"});
        const Deletion::Report r = run(list, options(true, backup));
        EXPECT_EQ(status(r, 0), Status::Failed) << backup;
        EXPECT_TRUE(r.items.at(0).reason.contains(host("home"))) << qPrintable(r.items.at(0).reason);
        EXPECT_EQ(r.deleted, 0);
        EXPECT_EQ(readAll(host("T/a.wav")), "take T/a.wav");
        EXPECT_FALSE(QFileInfo::exists(host("home/Trash")));
    }
    qputenv("XDG_DATA_HOME", saved);
    ::chmod(QFile::encodeName(host("home")).constData(), 0700);
}

TEST_F(DeletionRun, AFileIsCountedOnlyWhenItIsReallyGone)
{
    for (const Mode m : kModes) {
        const auto list = items({"G/a.wav"});
        // The operation says done and leaves the file.
        ops.onRemove = ops.onTrash = [](const FileRecord &) { return ShellResult::ok(); };
        const Deletion::Report r = run(list, options(m.toTrash, m.backup));
        EXPECT_EQ(status(r, 0), Status::Failed) << m.toTrash << m.backup;
        EXPECT_EQ(r.deleted, 0);
        QDir(host("Backup")).removeRecursively();
        QDir().mkpath(host("Backup"));
    }
}

TEST_F(DeletionRun, EachFileGoesOnlyAfterItsVerifiedCopyAndItsLineAreOnDisk)
{
    ops.logFile = host("Backup/Archivos_Borrados.log");
    const auto list = items({"A/one.wav", "A/two.wav", "A/three.wav"});
    // The copy of two.wav comes back different from its source.
    ops.onCommit = [this] {
        std::vector<ShellCopy::Batch::Committed> done = ops.FileOps::commitCopies();
        done[1].result = ShellResult::failed("distinta");
        done[1].differs = true;
        return done;
    };
    const Deletion::Report r = run(list, options(false, true));
    EXPECT_EQ(status(r, 0), Status::Deleted);
    EXPECT_EQ(status(r, 1), Status::Failed);
    EXPECT_EQ(status(r, 2), Status::Deleted);
    EXPECT_TRUE(QFileInfo::exists(host("A/two.wav")));
    // Order: the copies, each good file's line, one sync, then the files.
    EXPECT_EQ(ops.events, (QStringList{"copy one.wav", "copy two.wav", "copy three.wav", "commit",
                                        "line " + win("A/one.wav"), "line " + win("A/three.wav"), "sync",
                                        "remove one.wav", "remove three.wav"}));
    ASSERT_EQ(ops.linesOnDiskWhenRemoved.size(), 2);
    for (const QString &onDisk : ops.linesOnDiskWhenRemoved) {
        EXPECT_TRUE(onDisk.contains(win("A/one.wav") + "\r\n"));
        EXPECT_TRUE(onDisk.contains(win("A/three.wav") + "\r\n"));
        EXPECT_FALSE(onDisk.contains("two.wav"));
    }
}

// ---- which files go ----

TEST_F(DeletionRun, AHiddenFileCountsAsAbsentInEveryMode)
{
    for (const Mode m : kModes) {
        SCOPED_TRACE(QString("%1 %2").arg(m.toTrash).arg(m.backup).toStdString());
        QDir(host("H")).removeRecursively();
        freshBackup();
        const auto list = items({"H/.take.wav", "H/b.wav"});
        const Deletion::Report r = run(list, options(m.toTrash, m.backup));
        EXPECT_EQ(status(r, 0), Status::Skipped);
        EXPECT_EQ(r.items[0].reason, "no existe") << "reported as not found";
        EXPECT_EQ(status(r, 1), Status::Deleted);
        EXPECT_EQ(readAll(host("H/.take.wav")), "take H/.take.wav");
        if (m.backup) {
            EXPECT_EQ(namesBeside(host("Backup")), QStringList{"b.wav"}) << "not even copied";
            EXPECT_EQ(loggedLines(host("Backup/Archivos_Borrados.log")), QStringList{win("H/b.wav")});
        }
    }
    // The associated files' deletion takes a listed hidden file like any other.
    Deletion::Options o = options(false, false);
    o.hiddenCountsAsAbsent = false;
    EXPECT_EQ(status(run(items({"H/.take.wav"}), o), 0), Status::Deleted);
}

// ---- outcomes ----

TEST_F(DeletionRun, AFileGoneThroughItsHeldFolderIsCountedWhenThePathLeadsElsewhereAfter)
{
    // Right after the removal the file's folder is moved and a link to it
    // put in its place: the file is gone from the folder it was removed
    // from, whatever the path shows now.
    for (const Mode m : kModes) {
        SCOPED_TRACE(QString("%1 %2").arg(m.toTrash).arg(m.backup).toStdString());
        QDir(host("G")).removeRecursively();
        QDir(host("G-moved")).removeRecursively();
        freshBackup();
        const auto list = items({"G/a.wav"});
        ops.afterRemove = [this] {
            ASSERT_TRUE(QDir().rename(host("G"), host("G-moved")));
            ASSERT_TRUE(QFile::link(host("G-moved"), host("G")));
        };
        const Deletion::Report r = run(list, options(m.toTrash, m.backup));
        ops.afterRemove = {};
        EXPECT_EQ(status(r, 0), Status::Deleted) << qPrintable(r.problems.join("\n"));
        EXPECT_EQ(r.deleted, 1);
        EXPECT_FALSE(QFileInfo::exists(host("G-moved/a.wav")));
        QFile::remove(host("G"));
    }
}

TEST_F(DeletionRun, AFailureSaysItsCauseOnce)
{
    RUN_AS_ORDINARY_USER();
    const auto list = items({"RO/a.wav"});
    ASSERT_EQ(::chmod(QFile::encodeName(host("RO")).constData(), 0555), 0);
    const Deletion::Report r = run(list, options(false, false));
    ::chmod(QFile::encodeName(host("RO")).constData(), 0755);
    EXPECT_EQ(status(r, 0), Status::Failed);
    EXPECT_EQ(r.items[0].reason, "no se ha podido borrar: permiso denegado");
    EXPECT_EQ(r.problems, QStringList{win("RO/a.wav") + "  ->  no se ha podido borrar: permiso denegado"});
    EXPECT_TRUE(QFileInfo::exists(host("RO/a.wav")));
}

// ---- the log ----

TEST_F(DeletionRun, OnceTheLogCannotBeWrittenTheRunStopsAndTheRestIsNotReached)
{
    // The disk fills up with the log's second line: a file may grow no
    // further than the header and the first line (as on a full disk, the
    // write stops there). With every copy in one batch, and with a batch
    // per item (later items then never copied at all).
    for (const bool eachCopy : {false, true}) {
        SCOPED_TRACE(eachCopy);
        QDir(host("L")).removeRecursively();
        freshBackup();
        ops.commitEachCopy = eachCopy;
        ops.events.clear();
        const auto list = items({"L/a.wav", "L/b.wav", "L/c.wav", "L/d.wav"});
        const qint64 room = DeletionLog::header("9/12/2026", "10:00:00").size() + 2 + 63 + win("L/a.wav").size() + 2;
        struct rlimit saved;
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = rlim_t(room);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const Deletion::Report r = run(list, options(false, true));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, oldHandler);

        EXPECT_EQ(status(r, 0), Status::Deleted);
        EXPECT_EQ(status(r, 1), Status::Failed);
        EXPECT_EQ(status(r, 2), Status::NotReached);
        EXPECT_EQ(status(r, 3), Status::NotReached);
        EXPECT_EQ(r.deleted, 1);
        EXPECT_EQ(r.failed, 1);
        EXPECT_EQ(r.notReached, 2) << "not reached, not failed";
        EXPECT_FALSE(r.cancelled) << "a stop for the log is not a cancel";
        EXPECT_FALSE(r.stopped.isEmpty());
        EXPECT_EQ(r.problems.filter("no alcanzado").size(), 2) << qPrintable(r.problems.join("\n"));
        for (const char *kept : {"L/b.wav", "L/c.wav", "L/d.wav"})
            EXPECT_EQ(readAll(host(kept)), "take " + QByteArray(kept)) << kept;
        // No copy is left that no line names, and the log names a.wav alone;
        // copied one at a time, the items after b.wav were never copied.
        EXPECT_EQ(namesBeside(host("Backup")), QStringList{"a.wav"});
        if (eachCopy) {
            EXPECT_EQ(ops.events.filter("copy "), (QStringList{"copy a.wav", "copy b.wav"}));
        }
        EXPECT_EQ(loggedLines(host("Backup/Archivos_Borrados.log")), QStringList{win("L/a.wav")});
    }

    // A sync that fails keeps every file of its batch.
    ops.commitEachCopy = false;
    ops.onSync = [](QString *why) {
        *why = "error de lectura o escritura en el disco";
        return false;
    };
    const Deletion::Report s = run(items({"S/s.wav"}), options(false, true));
    EXPECT_EQ(status(s, 0), Status::Failed);
    EXPECT_TRUE(QFileInfo::exists(host("S/s.wav")));
    EXPECT_FALSE(s.stopped.isEmpty());
}

TEST_F(DeletionRun, ALogThatIsALinkIsNeverWrittenThroughAndNothingIsTouched)
{
    QTemporaryDir outside;
    const QString target = outside.path() + "/target.txt";
    ASSERT_TRUE(Fixtures::writeFile(target, "someone's notes"));
    const QString dangling = outside.path() + "/none.txt";
    for (const QString &to : {target, dangling}) {
        SCOPED_TRACE(to.toStdString());
        freshBackup();
        ASSERT_TRUE(QFile::link(to, host("Backup/Archivos_Borrados.log")));
        for (const bool toTrash : {false, true}) {
            const auto list = items({"K/a.wav", "K/b.wav"});
            const Deletion::Report r = run(list, options(toTrash, true));
            EXPECT_FALSE(r.started);
            EXPECT_TRUE(r.stopped.contains("enlace simbólico")) << r.stopped.toStdString();
            EXPECT_EQ(r.deleted, 0);
            EXPECT_EQ(r.notReached, 2);
            EXPECT_TRUE(QFileInfo::exists(host("K/a.wav")));
            EXPECT_TRUE(QFileInfo::exists(host("K/b.wav")));
            EXPECT_EQ(readAll(target), "someone's notes");
            EXPECT_FALSE(QFileInfo::exists(dangling));
            EXPECT_TRUE(namesBeside(host("Backup")).isEmpty()) << "nothing copied";
            EXPECT_TRUE(QFileInfo(host("Backup/Archivos_Borrados.log")).isSymLink());
        }
    }
}

// ---- the backup folder ----

TEST_F(DeletionRun, TheLogAndEveryCopyGoToTheFolderOpenedWhenTheRunBegan)
{
    // After the first item the backup folder's path is made to lead
    // elsewhere: a new folder in its place, or a link to another one.
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link);
        QDir(host("M")).removeRecursively();
        QDir(host("Held")).removeRecursively();
        QDir(host("Other")).removeRecursively();
        freshBackup();
        QDir().mkpath(host("Other"));
        const auto list = items({"M/a.wav", "M/b.wav", "M/c.wav"});
        ops.commitEachCopy = true; // the folder is used again for every item
        Pumped progress;
        bool swapped = false;
        progress.onPump = [&](int) {
            if (swapped || QFileInfo::exists(host("M/a.wav")))
                return;
            swapped = true;
            ASSERT_TRUE(QDir().rename(host("Backup"), host("Held")));
            if (link)
                ASSERT_TRUE(QFile::link(host("Other"), host("Backup")));
            else
                ASSERT_TRUE(QDir().mkpath(host("Backup")));
        };
        const Deletion::Report r = run(list, options(false, true), progress);
        ASSERT_TRUE(swapped);
        EXPECT_EQ(r.deleted, 3) << qPrintable(r.problems.join("\n"));
        EXPECT_EQ(namesBeside(host("Held")), (QStringList{"a.wav", "b.wav", "c.wav"}));
        EXPECT_EQ(loggedLines(host("Held/Archivos_Borrados.log")),
                  (QStringList{win("M/a.wav"), win("M/b.wav"), win("M/c.wav")}));
        const auto nothingIn = [](const QString &folder) {
            return QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        };
        EXPECT_TRUE(nothingIn(host("Other")));
        if (!link) {
            EXPECT_TRUE(nothingIn(host("Backup")));
        }
        QFile::remove(host("Backup"));
    }
}

TEST_F(DeletionRun, ALongCopyAndItsComparisonLetEventsRunBetweenTheirPieces)
{
    // One file of 8 MB: copied, then compared with its source, a piece at a
    // time with events between the pieces, not each in one stretch. The
    // copy under its temporary name tells which: still growing, or whole
    // and not yet named.
    constexpr qint64 kSize = 8 << 20;
    write("Big/take.wav", Fixtures::noise(int(kSize), 7));
    const auto list = items({"Big/take.wav"});
    Pumped progress;
    int whileCopied = 0, whileCompared = 0;
    progress.onPump = [&](int) {
        const QFileInfoList temps = QDir(host("Backup")).entryInfoList({".velmar-copia-*"}, QDir::Files | QDir::Hidden);
        if (temps.size() == 1)
            ++(temps.first().size() < kSize ? whileCopied : whileCompared);
    };
    const Deletion::Report r = run(list, options(false, true), progress);
    EXPECT_EQ(r.deleted, 1);
    EXPECT_GE(whileCopied, 4);
    EXPECT_GE(whileCompared, 4);
}

// ---- the source of a copy and the copy ----

TEST_F(DeletionRun, AReplacedSourceIsNeitherCopiedNorLogged)
{
    // Another file of the same length and time now bears the name: only its
    // device and inode tell it apart.
    for (const bool toTrash : {false, true}) {
        SCOPED_TRACE(toTrash);
        QDir(host("R")).removeRecursively();
        freshBackup();
        const auto list = items({"R/a.wav", "R/b.wav"});
        ASSERT_TRUE(Fixtures::replaceLookingTheSame(host("R/a.wav"), host("R/a-old.wav")));
        const QByteArray replacement = readAll(host("R/a.wav"));
        const Deletion::Report r = run(list, options(toTrash, true));
        EXPECT_EQ(status(r, 0), Status::Skipped);
        EXPECT_TRUE(r.problems.join("\n").contains("otro archivo tiene su nombre")) << qPrintable(r.problems.join("\n"));
        EXPECT_EQ(status(r, 1), Status::Deleted);
        EXPECT_EQ(readAll(host("R/a.wav")), replacement);
        EXPECT_EQ(namesBeside(host("Backup")), QStringList{"b.wav"});
        EXPECT_EQ(loggedLines(host("Backup/Archivos_Borrados.log")), QStringList{win("R/b.wav")});
    }
}

namespace {

// A disk that kept other bytes than it was given: the first byte of each
// copy is changed once it is written.
void flipFirstByte(int fd)
{
    char c = 0;
    if (::pread(fd, &c, 1, 0) == 1) {
        c = char(c ^ 0x5A);
        (void)::pwrite(fd, &c, 1, 0);
    }
}

} // namespace

TEST_F(DeletionRun, ACopyOfTheSameLengthWithOtherBytesIsRefusedAndItsSourceStays)
{
    // The copy spoilt between its writing and its comparison, and, on the
    // plain road, the source rewritten in place between them (its length
    // and time put back, so it still looks like the recorded file).
    for (const bool spoilCopy : {true, false}) {
        SCOPED_TRACE(spoilCopy);
        QDir(host("C")).removeRecursively();
        freshBackup();
        const auto list = items({"C/a.wav", "C/b.wav"});
        const QByteArray original = readAll(host("C/a.wav"));
        QByteArray rewritten = original;
        rewritten[0] = 'X';
        if (spoilCopy) {
            ShellCopy::setCopyWrittenForTest(&flipFirstByte);
        } else {
            ops.onCommit = [&] {
                EXPECT_TRUE(Fixtures::rewriteUnseen(host("C/a.wav"), rewritten));
                return ops.FileOps::commitCopies();
            };
        }
        const Deletion::Report r = run(list, options(false, true));
        ShellCopy::setCopyWrittenForTest(nullptr);
        ops.onCommit = {};
        EXPECT_EQ(status(r, 0), Status::Failed);
        EXPECT_TRUE(r.problems.join("\n").contains("no es igual al original")) << qPrintable(r.problems.join("\n"));
        EXPECT_EQ(readAll(host("C/a.wav")), spoilCopy ? original : rewritten);
        EXPECT_EQ(status(r, 1), spoilCopy ? Status::Failed : Status::Deleted);
        EXPECT_FALSE(QFileInfo::exists(host("Backup/a.wav")));
        EXPECT_FALSE(loggedLines(host("Backup/Archivos_Borrados.log")).join("\n").contains("a.wav"));
    }
}

TEST_F(DeletionRun, ABackupNameTakenInEitherLetterCaseIsNeverReplaced)
{
    write("Backup/TAKE.WAV", "an older backup");
    const auto list = items({"X/take.wav", "Y/Song.wav", "Z/SONG.wav"});
    const Deletion::Report r = run(list, options(false, true));
    EXPECT_EQ(status(r, 0), Status::Skipped) << "a copy of that name, other case, is there";
    EXPECT_EQ(status(r, 1), Status::Deleted);
    EXPECT_EQ(status(r, 2), Status::Skipped) << "its name went to another file of this run";
    EXPECT_EQ(readAll(host("Backup/TAKE.WAV")), "an older backup");
    EXPECT_EQ(readAll(host("Backup/Song.wav")), "take Y/Song.wav");
    EXPECT_TRUE(QFileInfo::exists(host("X/take.wav")));
    EXPECT_TRUE(QFileInfo::exists(host("Z/SONG.wav")));
}

TEST_F(DeletionRun, AFileWrittenToAfterItsCopyIsKept)
{
    for (const bool toTrash : {false, true}) {
        QDir(host("W")).removeRecursively();
        QDir(host("Backup")).removeRecursively();
        QDir().mkpath(host("Backup"));
        const auto list = items({"W/a.wav", "W/b.wav"});
        // Once the copies are safe, the user records over a.wav.
        ops.onCommit = [this] {
            std::vector<ShellCopy::Batch::Committed> done = ops.FileOps::commitCopies();
            QFile f(host("W/a.wav"));
            EXPECT_TRUE(f.open(QIODevice::Append));
            f.write(" and a new ending");
            return done;
        };
        const Deletion::Report r = run(list, options(toTrash, true));
        EXPECT_EQ(status(r, 0), Status::Skipped) << toTrash;
        EXPECT_TRUE(r.problems.join("\n").contains("ha cambiado después de su copia"));
        EXPECT_EQ(status(r, 1), Status::Deleted);
        EXPECT_EQ(readAll(host("W/a.wav")), "take W/a.wav and a new ending");
    }
}

TEST_F(DeletionRun, ALineThatWouldNotReadBackIsNeverDeletedWithABackup)
{
    // A name no Windows path can hold never reaches the list; if a line ever
    // did, the restore could not bring its file back.
    write("N/a\nb.wav", "x");
    std::vector<Deletion::Item> list{{0, win("N/a\nb.wav"), Fixtures::recordOf(host("N/a\nb.wav"))}};
    ASSERT_TRUE(list[0].record.isValid());
    const Deletion::Report r = run(list, options(false, true));
    EXPECT_EQ(status(r, 0), Status::Skipped);
    EXPECT_TRUE(QFileInfo::exists(host("N/a\nb.wav")));
    EXPECT_FALSE(DeletionLog::lineReadsBack(win("N/a\nb.wav"), "a\nb.wav"));
    EXPECT_TRUE(DeletionLog::lineReadsBack(win("N/ab.wav"), "ab.wav"));
    EXPECT_FALSE(DeletionLog::lineReadsBack(win("N/ab.wav"), "other.wav"));
}

TEST(SystemReasons, AreToldInTheUsersLanguage)
{
    EXPECT_EQ(SafeFs::systemReason(ENOSPC), "el disco está lleno");
    EXPECT_EQ(SafeFs::systemReason(EROFS), "el disco es de solo lectura");
    EXPECT_EQ(SafeFs::systemReason(EACCES), "permiso denegado");
}

TEST_F(DeletionRun, ALogThatIsNotARegularFileTouchesNothingAndDoesNotHang)
{
    const auto list = items({"F/a.wav"});
    ASSERT_EQ(::mkfifo(QFile::encodeName(host("Backup/Archivos_Borrados.log")).constData(), 0600), 0);
    const Deletion::Report r = run(list, options(false, true));
    EXPECT_FALSE(r.started);
    EXPECT_TRUE(r.stopped.contains("no es un archivo normal")) << r.stopped.toStdString();
    EXPECT_TRUE(QFileInfo::exists(host("F/a.wav")));
}

TEST_F(DeletionRun, AHugeExistingLogIsAppendedToWithoutBeingRead)
{
    // 3 GB of nothing (a sparse file: no disk used): only its first and last
    // bytes are looked at.
    const QString log = host("Backup/Archivos_Borrados.log");
    {
        QFile f(log);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(3) << 30));
    }
    const auto list = items({"H/a.wav"});
    const Deletion::Report r = run(list, options(false, true));
    EXPECT_EQ(status(r, 0), Status::Deleted) << r.problems.join(" | ").toStdString();
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(f.seek((qint64(3) << 30)));
    const QByteArray tail = f.readAll();
    EXPECT_TRUE(tail.startsWith("\r\nArchivos borrados  9/12/2026 a las 10:00:00\r\n")) << tail.constData();
    EXPECT_TRUE(tail.endsWith(win("H/a.wav").toUtf8() + "\r\n"));
}

TEST_F(DeletionRun, ALogLineIsNeverLeftHalfWritten)
{
    DeletionLog::Writer w;
    QString why;
    ASSERT_TRUE(w.open(Fixtures::openFolder(host("Backup")).fd(), "d", "t", &why));
    const qint64 before = QFileInfo(host("Backup/Archivos_Borrados.log")).size();
    // The disk fills up in the middle of the next line: the file may grow by
    // ten bytes only (the write stops there, as on a full disk).
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = rlim_t(before + 10);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = w.add(win("Carpeta/una toma bastante larga.wav"), &why);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(QFileInfo(host("Backup/Archivos_Borrados.log")).size(), before) << "the half line was taken back";
    EXPECT_TRUE(w.add(win("a.wav"), &why)) << "and the log goes on whole";
    EXPECT_TRUE(readAll(host("Backup/Archivos_Borrados.log")).endsWith(QByteArray(61, '-') + "\r\n" + win("a.wav").toLatin1() + "\r\n"));
}
