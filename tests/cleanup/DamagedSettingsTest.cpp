#include "cleanup/ParaBorrar.h"
#include "main/FolderListWindows.h"
#include "main/FolderLists.h"
#include "main/Form1.h"

#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>

namespace {

QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Velmar/Velmar.ini";
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray utf16(const QByteArray &utf8, bool bom)
{
    const QString text = QString::fromUtf8(utf8);
    QByteArray out = bom ? QByteArray("\xFF\xFE") : QByteArray();
    out.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return out;
}

class DamagedSettings : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        use(paraBorrarPeer());
        // The deletion for good is agreed to, as a user who means it.
        Ask::setFunction([](const QString &, const QString &, const QStringList &) { return 0; });
    }
};

// The store as the program writes it: the protected folders D:\Audio\Otra
// and D:\Audio\Keep.
const QByteArray kGood = "[Ruzvel]\nTotalCarpetasBusca=0\nTotalRutasNoBorrar=1\nRutaNoBorrar%200=D:\\\\Audio\\\\Otra\n"
                         "RutaNoBorrar%201=D:\\\\Audio\\\\Keep\nHScroll5=100\n";

} // namespace

TEST_F(DamagedSettings, AStoreThatCannotBeReadAsWrittenIsNoEmptyProtectedList)
{
    struct Case
    {
        const char *what;
        QByteArray file;
        bool runs; // the run goes on (and keeps the protected take)
        const char *why = ""; // what the status box says of it
    };
    QByteArray nulInValue = kGood;
    nulInValue.replace("Keep\n", QByteArray("Keep\0basura\n", 12));
    QByteArray nulInCount = kGood;
    nulInCount.replace("TotalRutasNoBorrar=1\n", QByteArray("TotalRutasNoBorrar=1\0x\n", 23));
    QByteArray quoteInFolder = kGood;
    quoteInFolder.replace("=D:\\\\Audio\\\\Keep", "=\"D:\\\\Audio\\\\Keep");
    const Case cases[] = {
        {"as written", kGood, true},
        {"a line ending in a backslash before the group", "[General]\nNotas=algo\\\n" + kGood, false},
        {"an unclosed quote before the list", "[Ruzvel]\nHScroll5=\"100\n" + kGood.mid(9), false},
        {"an unclosed quote in the folder", quoteInFolder, false},
        {"a NUL inside the folder", nulInValue, true},
        {"a NUL inside the count", nulInCount, true},
        {"saved as UTF-16", utf16(kGood, true), false},
        {"saved as UTF-16 without a byte-order mark", utf16(kGood, false), false},
        // The store reads it, and says its format is not valid.
        {"saved as UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + kGood, false, "marca de orden de bytes"},
        {"a count that is no number", QByteArray(kGood).replace("TotalRutasNoBorrar=1", "TotalRutasNoBorrar=uno"),
         false},
        // Its accents read as U+FFFD, and the next write would keep them so.
        {"a folder saved in another code page", QByteArray(kGood).replace("Otra", "Otr\xE1"), false},
        // Read as a list of two texts, which is no text.
        {"a comma outside quotes in a folder", QByteArray(kGood).replace("Otra", "Otra, vieja"), false},
        {"the list in another group after a rewrite",
         "[General]\nTotalRutasNoBorrar=0\nRutaNoBorrar%200=D:\\\\Audio\\\\Keep\n[Ruzvel]\nHScroll5=100\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString kept = put("Audio/Keep/a.wav", "a");
        const QString free = put("Audio/Free/c.wav", "c");
        Settings::reset();
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile f(settingsFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.file);
        f.close();
        Settings::reset();

        answerDialogs();
        form1().setUnusedList({kept, free}, {Fixtures::recordOfWindows(kept), Fixtures::recordOfWindows(free)});
        ParaBorrar &w = paraBorrar();
        w.show();
        w.ListBorrar->selectAll();
        w.cmdHecho->click();
        EXPECT_TRUE(QFileInfo::exists(host("Audio/Keep/a.wav")));
        EXPECT_NE(QFileInfo::exists(host("Audio/Free/c.wav")), c.runs);
        const QString says = " >>> AVISO <<<   No se han podido leer las carpetas protegidas del archivo de ajustes "
            + DriveMap::instance().toWindows(settingsFile()) + ": ";
        if (!c.runs) {
            const QString last = asked().isEmpty() ? QString() : asked().last();
            EXPECT_TRUE(last.startsWith("Archivos que se borraran | " + says)) << last.toStdString();
            EXPECT_TRUE(form1().TextDecode->toPlainText().startsWith(says));
            EXPECT_TRUE(form1().TextDecode->toPlainText().contains(QString::fromUtf8(c.why)))
                << form1().TextDecode->toPlainText().toStdString();
            EXPECT_FALSE(form1().TextDecode->isHidden());
        }
        // Closing the window saves its options: that does not mend the
        // damage away (the next start would take the list for empty).
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Settings::reset();
        EXPECT_EQ(FolderLists::readProtectedFolders().error.isEmpty(), c.runs);
        QFile::remove(host("Audio/Free/c.wav"));
    }
}

TEST_F(DamagedSettings, AMendedFileIsReadAgainAndWhatWasSetMeanwhileIsKept)
{
    QDir().mkpath(QFileInfo(settingsFile()).path());
    QFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(utf16(kGood, true));
    f.close();
    Settings::reset();
    const QString error = FolderLists::readProtectedFolders().error;
    EXPECT_FALSE(error.isEmpty());
    // The protected-folder window shows what it could read, and says why.
    form1();
    formNoBorrar();
    EXPECT_EQ(form1().TextDecode->toPlainText(), QString(error).replace("\r\n", "\n"));
    Settings::set("HScroll5", "70");
    EXPECT_EQ(Settings::get("HScroll5"), "70");
    EXPECT_FALSE(Settings::sync()) << "nothing is written over a damaged file";
    EXPECT_EQ(readAll(settingsFile()), utf16(kGood, true));

    // The user mends it while the program runs.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(kGood);
    f.close();
    const FolderLists::ProtectedFolders read = FolderLists::readProtectedFolders();
    EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_EQ(read.folders, (QStringList{"D:\\Audio\\Otra", "D:\\Audio\\Keep"}));
    EXPECT_TRUE(Settings::sync());
    Settings::reset();
    EXPECT_EQ(Settings::get("HScroll5"), "70");
    EXPECT_EQ(Settings::get("RutaNoBorrar 1"), "D:\\Audio\\Keep");

    // What the program itself writes always reads as it is written.
    for (const char *key : {"Player automático", "ParaBorrar_No ToolTips", "Form2.ListFilter.Selected 0", "a/b"})
        Settings::set(QString::fromUtf8(key), "1");
    Settings::set("RutaNoBorrar 2", "D:\\");
    Settings::set("CarpetaBusca 0", " D:\\Canción \"x\";=\\ ");
    ASSERT_TRUE(Settings::sync());
    Settings::reset();
    const Settings::FileCheck check = Settings::checkFile();
    EXPECT_TRUE(check.ok()) << check.problem.toStdString();
    EXPECT_EQ(Settings::get("CarpetaBusca 0"), " D:\\Canción \"x\";=\\ ");
}

// The protected-folder window shows what it could read of a damaged list.
// Closing it, as the user does after looking, never writes that short list
// over the stored one: not over the damaged file, nor over the file once
// the user has mended it.
TEST_F(DamagedSettings, TheFolderWindowsNeverStoreAListTheyCouldNotRead)
{
    const auto writeSettings = [](const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile f(settingsFile());
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    };
    struct Case
    {
        const char *what;
        QByteArray file;
        bool mended; // the user mends the file while the program runs
    };
    const Case cases[] = {
        {"a count that is no number", QByteArray(kGood).replace("TotalRutasNoBorrar=1", "TotalRutasNoBorrar=uno"),
         false},
        {"saved as UTF-16", utf16(kGood, true), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeSettings(c.file));
        Settings::reset();
        form1();
        FormNoBorrar &w = formNoBorrar();
        w.show();
        w.Salir->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form1().TextDecode->toPlainText().contains("La lista de carpetas protegidas no se ha guardado"))
            << form1().TextDecode->toPlainText().toStdString();
        if (c.mended) {
            ASSERT_TRUE(writeSettings(kGood));
        } else {
            Settings::reset();
            EXPECT_FALSE(FolderLists::readProtectedFolders().error.isEmpty()) << "the damage was written away";
            ASSERT_TRUE(writeSettings(kGood));
            Settings::reset();
        }
        const FolderLists::ProtectedFolders read = FolderLists::readProtectedFolders();
        EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
        EXPECT_EQ(read.folders, (QStringList{"D:\\Audio\\Otra", "D:\\Audio\\Keep"}));
    }

    // Its twin, the search-folder window, the same.
    const QByteArray search
        = QByteArray(kGood).replace("TotalCarpetasBusca=0", "TotalCarpetasBusca=0\nCarpetaBusca%200=D:\\\\Audio");
    Settings::reset();
    ASSERT_TRUE(writeSettings("[General]\nNotas=algo\\\n" + search));
    unidadesBuscar().Salir->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form1().TextDecode->toPlainText().contains("La lista de carpetas de búsqueda no se ha guardado"))
        << form1().TextDecode->toPlainText().toStdString();
    ASSERT_TRUE(writeSettings(search));
    EXPECT_TRUE(Settings::checkFile().ok());
    EXPECT_EQ(FolderLists::storedSearchFolders(), QStringList{"D:\\Audio"});
}
