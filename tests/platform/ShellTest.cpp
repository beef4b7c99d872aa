#include "platform/Ask.h"
#include "platform/ShellCopy.h"
#include "platform/Trash.h"
#include "tests/support/Fixtures.h"
#include "tests/support/LibraryTest.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdlib>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

class Shell : public LibraryTest
{
protected:
    void TearDown() override
    {
        Ask::setFunction({});
        LibraryTest::TearDown();
    }
    static QString trash() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash"; }
};

} // namespace

TEST_F(Shell, TrashKeepsTheFileAndItsOriginalPath)
{
    const QString file = write("Audio/Toma ñ 1.wav", "take bytes");
    const ShellResult r = Trash::moveToTrash(file);
    ASSERT_TRUE(r.done()) << qPrintable(r.reason);
    EXPECT_FALSE(QFileInfo::exists(file));
    const QString kept = trash() + "/files/Toma ñ 1.wav";
    EXPECT_EQ(readAll(kept), "take bytes");
    const QByteArray info = readAll(trash() + "/info/Toma ñ 1.wav.trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]")) << info.constData();
    EXPECT_TRUE(info.contains("Path=" + QUrl::toPercentEncoding(file, "/"))) << info.constData();
    // The local time of the deletion, to the second.
    const qsizetype at = info.indexOf("DeletionDate=");
    ASSERT_GE(at, 0) << info.constData();
    const QByteArray stamp = info.mid(at + 13, 19);
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(stamp), "yyyy-MM-ddTHH:mm:ss");
    ASSERT_TRUE(when.isValid()) << stamp.constData();
    EXPECT_LE(std::abs(when.secsTo(QDateTime::currentDateTime())), 5) << stamp.constData();

    // The desktop's own tools see it, when they are installed.
    const QString list = QStandardPaths::findExecutable("trash-list");
    if (!list.isEmpty()) {
        QProcess p;
        p.start(list, {});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).contains(file));
    }

    EXPECT_EQ(Trash::moveToTrash(file).outcome, ShellResult::Failed) << "a file that is gone is not reported done";
}

TEST_F(Shell, EmptyingRemovesEveryTrashEntry)
{
    ASSERT_TRUE(Trash::moveToTrash(write("a.wav", "a")).done());
    ASSERT_TRUE(Trash::moveToTrash(write("Sub/b.wav", "b")).done());
    ASSERT_TRUE(Trash::trashFolders().contains(trash()));
    ASSERT_TRUE(Trash::emptyAll().done());
    EXPECT_TRUE(QDir(trash() + "/files").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_TRUE(QDir(trash() + "/info").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_TRUE(Trash::emptyAll().done()) << "emptying an empty trash is no error";
}

TEST_F(Shell, UnansweredQuestionsTakeTheCautiousButton)
{
    Ask::setFunction({});
    EXPECT_EQ(Ask::question("t", "x", {"Reemplazar", "Añadir", "Cancelar"}), 2);
    EXPECT_FALSE(Ask::yes("t", "x"));
    Ask::setFunction([](const QString &, const QString &, const QStringList &) { return 7; });
    EXPECT_EQ(Ask::question("t", "x", {"Sí", "No"}), 1) << "an answer out of range counts as the last button";
}

TEST_F(Shell, TrashNumbersRepeatedNamesAndNeverReplacesAStrayFile)
{
    // A file in the trash with no record (left by another program) keeps
    // its name and its bytes.
    ASSERT_TRUE(QDir().mkpath(trash() + "/files"));
    ASSERT_TRUE(Fixtures::writeFile(trash() + "/files/stray.wav", "stray"));
    for (const char *bytes : {"one", "two", "three"}) {
        const QString file = write("Takes/stray.wav", bytes);
        ASSERT_TRUE(Trash::moveToTrash(file).done());
        EXPECT_FALSE(QFileInfo::exists(file));
    }
    EXPECT_EQ(readAll(trash() + "/files/stray.wav"), "stray");
    EXPECT_FALSE(QFileInfo::exists(trash() + "/info/stray.wav.trashinfo"));
    EXPECT_EQ(readAll(trash() + "/files/stray.2.wav"), "one");
    EXPECT_EQ(readAll(trash() + "/files/stray.3.wav"), "two");
    EXPECT_EQ(readAll(trash() + "/files/stray.4.wav"), "three");
    for (const char *n : {"2", "3", "4"})
        EXPECT_TRUE(readAll(trash() + "/info/stray." + QString(n) + ".wav.trashinfo").contains("Path=")) << n;

    // Emptied, the first name is free again.
    ASSERT_TRUE(Trash::emptyAll().done());
    ASSERT_TRUE(Trash::moveToTrash(write("Takes/stray.wav", "four")).done());
    EXPECT_EQ(readAll(trash() + "/files/stray.wav"), "four");

    // A trash taken away between two moves is made again.
    ASSERT_TRUE(QDir(trash()).removeRecursively());
    ASSERT_TRUE(Trash::moveToTrash(write("Takes/again.wav", "again")).done());
    EXPECT_EQ(readAll(trash() + "/files/again.wav"), "again");
    EXPECT_TRUE(readAll(trash() + "/info/again.wav.trashinfo").contains("Path="));
    ASSERT_TRUE(Trash::emptyAll().done());
}

TEST_F(Shell, BatchCopiesGetTheirNamesOnlyWhenCommittedAndNeverReplaceAFile)
{
    const QString a = write("src/a.wav", Fixtures::noise(300000, 1));
    const QString b = write("src/b.wav", "b bytes");
    const QString c = write("src/c.wav", "c bytes");
    const QString empty = write("src/empty.wav", "");
    {
        QFile f(a);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
    }
    QDir().mkpath(dir.path() + "/dst");
    const auto entries = [&] {
        return QDir(dir.path() + "/dst").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList before = entries();
    {
        const SafeFs::Folder dst = Fixtures::openFolder(dir.path() + "/dst");
        ShellCopy::Batch batch(dst.fd(), dir.path() + "/dst");
        ASSERT_TRUE(batch.add(Fixtures::recordOf(a)).done());
        ASSERT_TRUE(batch.add(Fixtures::recordOf(b)).done());
        ASSERT_TRUE(batch.add(Fixtures::recordOf(c)).done());
        ASSERT_TRUE(batch.add(Fixtures::recordOf(empty)).done());
        EXPECT_EQ(batch.add(Fixtures::recordOf(dir.path() + "/src/none.wav")).outcome, ShellResult::Failed);
        EXPECT_EQ(batch.pending(), 4);
        EXPECT_EQ(batch.pendingBytes(), 300000 + 7 + 7);
        EXPECT_FALSE(QFileInfo::exists(dir.path() + "/dst/a.wav")) << "no name before the commit";
        // Someone else takes a name meanwhile: that file stays as it is.
        ASSERT_TRUE(Fixtures::writeFile(dir.path() + "/dst/c.wav", "someone else's"));
        const std::vector<ShellCopy::Batch::Committed> done = batch.commit();
        ASSERT_EQ(done.size(), 4u);
        EXPECT_TRUE(done[0].result.done()) << qPrintable(done[0].result.reason);
        EXPECT_TRUE(done[1].result.done());
        EXPECT_EQ(done[2].result.outcome, ShellResult::Failed);
        EXPECT_FALSE(done[2].differs);
        EXPECT_TRUE(done[3].result.done());
        EXPECT_EQ(batch.pending(), 0);
        EXPECT_EQ(batch.pendingBytes(), 0);
    }
    EXPECT_EQ(readAll(dir.path() + "/dst/a.wav"), Fixtures::noise(300000, 1));
    EXPECT_EQ(QFileInfo(dir.path() + "/dst/a.wav").lastModified(), QFileInfo(a).lastModified());
    EXPECT_EQ(readAll(dir.path() + "/dst/b.wav"), "b bytes");
    EXPECT_EQ(readAll(dir.path() + "/dst/c.wav"), "someone else's");
    EXPECT_TRUE(QFileInfo(dir.path() + "/dst/empty.wav").isFile());
    EXPECT_EQ(entries().size(), before.size() + 4) << "no temporary left";
    EXPECT_EQ(readAll(a), Fixtures::noise(300000, 1)) << "the sources are untouched";
}

TEST_F(Shell, BatchDropsACopyThatIsNotItsSourceAndLeavesNothingUncommitted)
{
    const QString a = write("src/a.wav", "original bytes");
    const QString b = write("src/b.wav", "b bytes");
    QDir().mkpath(dir.path() + "/dst");
    {
        const SafeFs::Folder dst = Fixtures::openFolder(dir.path() + "/dst");
        ShellCopy::Batch batch(dst.fd(), dir.path() + "/dst");
        ASSERT_TRUE(batch.add(Fixtures::recordOf(a)).done());
        ASSERT_TRUE(batch.add(Fixtures::recordOf(b)).done());
        // The source changes after it was copied: the copy is not a backup
        // of what would be deleted.
        ASSERT_TRUE(Fixtures::writeFile(a, "changed bytes!"));
        const std::vector<ShellCopy::Batch::Committed> done = batch.commit();
        ASSERT_EQ(done.size(), 2u);
        EXPECT_EQ(done[0].result.outcome, ShellResult::Failed);
        EXPECT_TRUE(done[0].changed) << "the source is not the recorded file any more";
        EXPECT_TRUE(done[1].result.done());
        EXPECT_FALSE(QFileInfo::exists(dir.path() + "/dst/a.wav"));
        EXPECT_EQ(readAll(dir.path() + "/dst/b.wav"), "b bytes");

        // Copies never committed go with the batch.
        ASSERT_TRUE(batch.add(Fixtures::recordOf(a)).done());
        EXPECT_EQ(batch.commit().size(), 1u);
        ASSERT_TRUE(batch.add(Fixtures::recordOf(write("src/late.wav", "late"))).done());
    }
    EXPECT_EQ(readAll(dir.path() + "/dst/a.wav"), "changed bytes!");
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/dst/late.wav"));
    EXPECT_EQ(QDir(dir.path() + "/dst").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"a.wav", "b.wav"}));
}
