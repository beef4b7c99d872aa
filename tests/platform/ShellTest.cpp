#include "platform/Ask.h"
#include "platform/ShellCopy.h"
#include "platform/Trash.h"
#include "tests/support/Fixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

class Shell : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { Ask::setFunction({}); }
    QString put(const QString &rel, const QByteArray &bytes)
    {
        EXPECT_TRUE(Fixtures::writeFile(dir.path() + u'/' + rel, bytes));
        return dir.path() + u'/' + rel;
    }
    static QString trash() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash"; }
    QTemporaryDir dir;
};

} // namespace

TEST_F(Shell, TrashKeepsTheFileAndItsOriginalPath)
{
    const QString file = put("Audio/Toma ñ 1.wav", "take bytes");
    const ShellResult r = Trash::moveToTrash(file);
    ASSERT_TRUE(r.done()) << qPrintable(r.reason);
    EXPECT_FALSE(QFileInfo::exists(file));
    const QString kept = trash() + "/files/Toma ñ 1.wav";
    EXPECT_EQ(readAll(kept), "take bytes");
    const QByteArray info = readAll(trash() + "/info/Toma ñ 1.wav.trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]")) << info.constData();
    EXPECT_TRUE(info.contains("Path=" + QUrl::toPercentEncoding(file, "/"))) << info.constData();
    EXPECT_TRUE(info.contains("DeletionDate="));

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
    ASSERT_TRUE(Trash::moveToTrash(put("a.wav", "a")).done());
    ASSERT_TRUE(Trash::moveToTrash(put("Sub/b.wav", "b")).done());
    ASSERT_TRUE(Trash::trashFolders().contains(trash()));
    ASSERT_TRUE(Trash::emptyAll().done());
    EXPECT_TRUE(QDir(trash() + "/files").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_TRUE(QDir(trash() + "/info").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_TRUE(Trash::emptyAll().done()) << "emptying an empty trash is no error";
}

TEST_F(Shell, CopyAsksBeforeReplacingAndBeforeCreatingAFolder)
{
    const QString src = put("src/take.wav", "new bytes");
    const QString old = put("dst/take.wav", "old bytes");
    QStringList asked;
    int answer = 1; // "No"
    Ask::setFunction([&](const QString &, const QString &text, const QStringList &buttons) {
        asked << text;
        EXPECT_EQ(buttons, (QStringList{"Sí", "No"}));
        return answer;
    });
    EXPECT_EQ(ShellCopy::copyInto(src, dir.path() + "/dst").outcome, ShellResult::Declined);
    EXPECT_EQ(readAll(old), "old bytes");
    answer = 0;
    EXPECT_TRUE(ShellCopy::copyInto(src, dir.path() + "/dst").done());
    EXPECT_EQ(readAll(old), "new bytes");
    EXPECT_EQ(asked.size(), 2);

    asked.clear();
    answer = 1;
    EXPECT_EQ(ShellCopy::copyInto(src, dir.path() + "/new/deep").outcome, ShellResult::Declined);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/new"));
    answer = 0;
    EXPECT_TRUE(ShellCopy::copyInto(src, dir.path() + "/new/deep").done());
    EXPECT_EQ(readAll(dir.path() + "/new/deep/take.wav"), "new bytes");
    EXPECT_EQ(QFileInfo(dir.path() + "/new/deep/take.wav").lastModified(), QFileInfo(src).lastModified());
}

TEST_F(Shell, CopyNeverReportsAFailureAsDoneNorLeavesPartialFiles)
{
    const QString src = put("src/take.wav", Fixtures::noise(300000, 5));
    Ask::setFunction([](const QString &, const QString &, const QStringList &) { return 0; });
    // Onto itself.
    EXPECT_EQ(ShellCopy::copyInto(src, dir.path() + "/src").outcome, ShellResult::Failed);
    EXPECT_EQ(readAll(src), Fixtures::noise(300000, 5));
    // A source that is not a file.
    EXPECT_EQ(ShellCopy::copyInto(dir.path() + "/src", dir.path() + "/x").outcome, ShellResult::Failed);
    // A destination that is a file.
    const QString file = put("plain.txt", "t");
    EXPECT_EQ(ShellCopy::copyInto(src, file).outcome, ShellResult::Failed);
    // A folder in the way of the name.
    QDir().mkpath(dir.path() + "/dst/take.wav");
    EXPECT_EQ(ShellCopy::copyInto(src, dir.path() + "/dst").outcome, ShellResult::Failed);
    EXPECT_EQ(QDir(dir.path() + "/dst").entryList(QDir::Files | QDir::Hidden).size(), 0) << "no temporary left";
}

TEST_F(Shell, UnansweredQuestionsTakeTheCautiousButton)
{
    Ask::setFunction({});
    EXPECT_EQ(Ask::question("t", "x", {"Reemplazar", "Añadir", "Cancelar"}), 2);
    EXPECT_FALSE(Ask::yes("t", "x"));
    Ask::setFunction([](const QString &, const QString &, const QStringList &) { return 7; });
    EXPECT_EQ(Ask::question("t", "x", {"Sí", "No"}), 1) << "an answer out of range counts as the last button";
}
