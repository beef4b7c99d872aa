#include "cleanup/DeletionLog.h"
#include "main/FolderLists.h"
#include "platform/Ansi.h"
#include "platform/Settings.h"
#include "tests/support/Fixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(DeletionLogFile, BlocksAreAppendedAndEveryLineEndsInCrLf)
{
    QTemporaryDir dir;
    QString error;
    {
        DeletionLog::Writer w;
        ASSERT_TRUE(w.open(Fixtures::openFolder(dir.path()).fd(), "9/12/26", "10:00:00", &error)) << qPrintable(error);
        ASSERT_TRUE(w.add("D:\\Audio\\Toma 1.wav", &error));
        ASSERT_TRUE(w.add("D:\\Audio\\Canción.wav", &error));
        // Written lines are there for a reader at once; sync() puts them on
        // the disk.
        EXPECT_TRUE(readAll(dir.path() + "/Archivos_Borrados.log")
                        .endsWith("Toma 1.wav\r\n" + Ansi::encode("D:\\Audio\\Canción.wav") + "\r\n"));
        ASSERT_TRUE(w.sync(&error)) << qPrintable(error);
        w.close();
        EXPECT_FALSE(w.sync(&error)) << "a closed log cannot be synced";
        EXPECT_FALSE(error.isEmpty());
    }
    const QByteArray dashes(61, '-');
    QByteArray expected = "Archivos borrados  9/12/26 a las 10:00:00\r\n" + dashes + "\r\nD:\\Audio\\Toma 1.wav\r\n"
        + Ansi::encode("D:\\Audio\\Canción.wav") + "\r\n";
    EXPECT_EQ(readAll(dir.path() + "/Archivos_Borrados.log"), expected);

    // A second run keeps the record of the first.
    DeletionLog::Writer w2;
    ASSERT_TRUE(w2.open(Fixtures::openFolder(dir.path()).fd(), "10/12/26", "11:00:00", &error));
    ASSERT_TRUE(w2.add("E:\\Otra\\b.wav", &error));
    w2.close();
    expected += "Archivos borrados  10/12/26 a las 11:00:00\r\n" + dashes + "\r\nE:\\Otra\\b.wav\r\n";
    EXPECT_EQ(readAll(dir.path() + "/Archivos_Borrados.log"), expected);

    const DeletionLog::Contents c = DeletionLog::read(Ansi::readLines(expected));
    EXPECT_EQ(c.label, "Archivos borrados  10/12/26 a las 11:00:00") << "the newest run's header";
    EXPECT_EQ(c.paths, (QStringList{"D:\\Audio\\Toma 1.wav", "D:\\Audio\\Canción.wav", "E:\\Otra\\b.wav"}));
}

TEST(DeletionLogFile, APathWindows1252CannotHoldTurnsTheLogToUtf8)
{
    QTemporaryDir dir;
    QString error;
    DeletionLog::Writer w;
    ASSERT_TRUE(w.open(Fixtures::openFolder(dir.path()).fd(), "d", "t", &error));
    ASSERT_TRUE(w.add("D:\\a.wav", &error));
    ASSERT_TRUE(w.add("D:\\Запись.wav", &error));
    ASSERT_TRUE(w.add("D:\\b.wav", &error));
    ASSERT_TRUE(w.sync(&error)) << "the log reopened as UTF-8 syncs too: " << qPrintable(error);
    w.close();
    const QByteArray bytes = readAll(dir.path() + "/Archivos_Borrados.log");
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(bytes.contains('?'));
    const DeletionLog::Contents c = DeletionLog::read(Ansi::readLines(bytes));
    EXPECT_EQ(c.paths, (QStringList{"D:\\a.wav", "D:\\Запись.wav", "D:\\b.wav"}));
}

TEST(DeletionLogFile, ALogThatCannotBeCreatedIsReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Archivos_Borrados.log"));
    DeletionLog::Writer w;
    QString error;
    EXPECT_FALSE(w.open(Fixtures::openFolder(dir.path()).fd(), "d", "t", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(DeletionLogFile, ReadingSkipsHeadersAnywhereAndLeavesOutRepeatedNames)
{
    const QStringList lines = {"Archivos borrados  1 a las 2", QString(61, u'-'), "D:\\A\\take.wav", "D:\\A\\x.wav",
                               "Archivos borrados  3 a las 4", QString(61, u'-'), "D:\\B\\take.wav", "D:\\A\\x.wav",
                               ""};
    const DeletionLog::Contents c = DeletionLog::read(lines);
    EXPECT_EQ(c.paths, QStringList{"D:\\A\\x.wav"});
    EXPECT_EQ(c.repeated, QStringList{"take.wav"});
}

TEST(ProtectedFolders, KeyRuleIsCaseBlindAndWide)
{
    const QStringList p = {"D:\\Audio\\Keep"};
    EXPECT_TRUE(FolderLists::isProtected("D:\\Audio\\Keep\\a.wav", p));
    EXPECT_TRUE(FolderLists::isProtected("E:\\Audio\\Keeper\\b.wav", p));
    EXPECT_TRUE(FolderLists::isProtected("d:\\audio\\keep\\c.wav", p)) << "letters in either case";
    EXPECT_FALSE(FolderLists::isProtected("D:\\Audio\\Otra\\c.wav", p));
    EXPECT_TRUE(FolderLists::isProtected("Q:\\x.wav", {"D:\\"})) << "a drive root protects everything";
    EXPECT_FALSE(FolderLists::isProtected("Q:\\x.wav", {}));
}

TEST(ProtectedFolders, StoredFormAndRepeatedLastFolder)
{
    Settings::reset();
    FolderLists::storeProtectedFolders({"D:\\Keep", "E:\\Otra"});
    EXPECT_EQ(Settings::get("TotalRutasNoBorrar"), "1");
    EXPECT_EQ(FolderLists::storedProtectedFolders(), (QStringList{"D:\\Keep", "E:\\Otra"}));
    Settings::set("TotalRutasNoBorrar", "3");
    EXPECT_EQ(FolderLists::storedProtectedFolders(), (QStringList{"D:\\Keep", "E:\\Otra", "E:\\Otra", "E:\\Otra"}));
    FolderLists::storeProtectedFolders({});
    EXPECT_EQ(Settings::get("TotalRutasNoBorrar"), "-1");
    EXPECT_TRUE(FolderLists::storedProtectedFolders().isEmpty());

    Settings::remove("TotalCarpetasBusca");
    Settings::remove("CarpetaBusca 0");
    EXPECT_EQ(FolderLists::storedSearchFolders(), QStringList{""}) << "nothing stored: one empty line";
    Settings::set("TotalCarpetasBusca", "99999999999");
    EXPECT_EQ(FolderLists::storedSearchFolders(), QStringList{""}) << "a count out of range is not believed";
}
