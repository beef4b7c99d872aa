#include "main/Listados.h"

#include "main/Form1.h"
#include "main/Perdidos.h"
#include "main/Unused.h"
#include "platform/Ansi.h"
#include "platform/ShellCopy.h"
#include "platform/SpanishDate.h"
#include "services/InfoTexts.h"
#include "tests/support/CLocale.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <functional>

namespace {

const QString kDash = QString(66, u'-');

QByteArray read(const QString &host)
{
    QFile f(host);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Everything after the date line.
QByteArray afterDate(const QByteArray &bytes)
{
    return bytes.mid(bytes.indexOf("\r\n") + 2);
}

} // namespace

TEST(Listados, LinesInsertADashLineBeforeEachHeaderAndABlankAfterIt)
{
    struct Case
    {
        QStringList items;
        QStringList body;
    };
    const Case cases[] = {
        {{}, {}},
        {{" ", "1 --> D:\\P\\A.vip", " ", "D:\\P\\a.wav", " ", "2 --> D:\\P\\B.vip", " ", "D:\\P\\b.wav"},
         {" ", kDash, "1 --> D:\\P\\A.vip", " ", " ", "D:\\P\\a.wav", " ", kDash, "2 --> D:\\P\\B.vip", " ", " ",
          "D:\\P\\b.wav"}},
        {{"D:\\x.wav", "3 --> D:\\C.vip"}, {"D:\\x.wav", kDash, "3 --> D:\\C.vip", " "}},
    };
    for (const Case &c : cases) {
        const QStringList head{"Fecha: 03/02/2001    Hora: 10:11:12", " ", "Título A", "Título B", kDash, " "};
        EXPECT_EQ(Listados::lines("03/02/2001", "10:11:12", c.items, "Título A", "Título B"), head + c.body);
    }
}

TEST(Listados, FileIsWindows1252WithCrLf)
{
    QTemporaryDir dir;
    QString why;
    const NoLinkWrite::Folder folder = NoLinkWrite::Folder::open(dir.path(), &why);
    ASSERT_TRUE(Listados::write(folder, "l.log", {"Canción", " ", ""}));
    EXPECT_EQ(read(dir.path() + "/l.log"), QByteArray("Canci\xF3n\r\n \r\n\r\n"));
    // A folder of that name is not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir("d.log"));
    EXPECT_FALSE(Listados::write(folder, "d.log", {"x"}, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.path() + "/d.log").isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"d.log", "l.log"}))
        << "no new text left under a name of its own";
}

TEST(Listados, FolderAndProjectFileNames)
{
    EXPECT_EQ(Listados::folder("D:\\P\\"), "D:\\P\\Listados\\");
    EXPECT_EQ(Listados::folder("D:\\P"), "D:\\P\\Listados\\");
    EXPECT_EQ(Listados::projectFileNames({"1 --> D:\\A\\Cancion A.vip", "2 --> D:\\B\\Cancion A.vip",
                                          "3 --> D:\\C\\cancion a.VIP", "4 --> D:\\D\\Cancion A (2).vip",
                                          "5 --> D:\\E\\Mezcla.v2.vip"}),
              (QStringList{"Archivos de Cancion A.log", "Archivos de Cancion A (2).log",
                           "Archivos de cancion a (3).log", "Archivos de Cancion A (2) (2).log",
                           "Archivos de Mezcla.v2.log"}));
}

namespace {

class ListingsWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        answerDialogs();
        project("P/A.vip", {"a1.wav"});
        project("P/B.vip", {"b1.wav", "b2.wav"});
        project("P/Sub/A.vip", {"c1.wav"});
        write("P/Audio/suelta.wav", Fixtures::noise(32, 3));
    }
    void project(const QString &rel, const QStringList &takes)
    {
        QStringList paths;
        for (const QString &t : takes) {
            write("P/Audio/" + t, Fixtures::noise(64, quint32(t.size())));
            paths << win("P/Audio/" + t);
        }
        write(rel, Fixtures::vipBytes(paths));
    }
    Form1 &analysed()
    {
        Form1 &f = form1();
        f.show();
        f.AbrirRuta(win("P"));
        return f;
    }
    QString listing(const QString &name) const { return host("P/Listados/" + name); }
};

// A player whose unload (each project decode begins with one) runs a step of
// the test in the middle of the command.
struct HookedPlayer : FakePlayer
{
    std::function<void()> hook;
    // Each project read looks whether the player is shown (to hide it).
    bool isVisible() override
    {
        if (hook)
            hook();
        return FakePlayer::isVisible();
    }
};

} // namespace

TEST_F(ListingsWindow, EveryProjectAndBothListsAreWrittenAndTheShownProjectComesBack)
{
    Form1 &f = analysed();
    ASSERT_EQ(f.ListProyectos->count(), 3);
    f.ListProyectos->setCurrentRow(1);
    f.ListProyectos_DblClick();
    f.SalvaListados->trigger();

    EXPECT_EQ(f.lastListados().written, 5);
    EXPECT_EQ(QDir(host("P/Listados")).entryList(QDir::Files),
              (QStringList{"Archivos a Borrar.log", "Archivos de A (2).log", "Archivos de A.log",
                           "Archivos de B.log", "Archivos Totales.log"}));
    EXPECT_EQ(afterDate(read(listing("Archivos de B.log"))),
              " \r\n2 Archivos utilizados en: D:\\P\\B.vip\r\nD:\\P\r\n" + kDash.toLatin1()
                  + "\r\n \r\nD:\\P\\Audio\\b1.wav\r\nD:\\P\\Audio\\b2.wav\r\n");
    EXPECT_TRUE(afterDate(read(listing("Archivos de A (2).log"))).endsWith("\r\nD:\\P\\Audio\\c1.wav\r\n"));
    EXPECT_EQ(afterDate(read(listing("Archivos a Borrar.log"))),
              " \r\n\r\n" + f.LabelErase[1]->text().toLatin1() + "\r\n" + kDash.toLatin1()
                  + "\r\n \r\nD:\\P\\Audio\\suelta.wav\r\n");
    EXPECT_TRUE(read(listing("Archivos Totales.log")).startsWith("Fecha: "));
    // The status box says where they went.
    EXPECT_EQ(f.TextDecode->toPlainText(), "Listados guardados en: D:\\P\\Listados");
    EXPECT_EQ(f.TextDecode->property("alertaColor").toUInt(), 0xC0E0FFu);
    EXPECT_FALSE(f.TextDecode->isHidden());
    // The second project is shown again; the command is over.
    EXPECT_EQ(f.B_listProyectos, "D:\\P\\B.vip");
    EXPECT_EQ(Form1::lines(f.ListVip), (QStringList{"D:\\P\\Audio\\b1.wav", "D:\\P\\Audio\\b2.wav"}));
    EXPECT_FALSE(f.Decoding);
    EXPECT_FALSE(f.analysisRunning());
    EXPECT_TRUE(f.cmdCancelar->isHidden());

    // A second run replaces the files of the first.
    f.SalvaListados->trigger();
    EXPECT_EQ(QDir(host("P/Listados")).entryList(QDir::Files).size(), 5);
}

TEST_F(ListingsWindow, AnEmptyUnusedListGivesItsHeaderAlone)
{
    QFile::remove(host("P/Audio/suelta.wav"));
    Form1 &f = analysed();
    ASSERT_EQ(f.ListBorrar->count(), 0);
    f.SalvaListados->trigger();
    EXPECT_EQ(afterDate(read(listing("Archivos a Borrar.log"))),
              " \r\n\r\n" + f.LabelErase[1]->text().toLatin1() + "\r\n" + kDash.toLatin1() + "\r\n \r\n");
}

TEST_F(ListingsWindow, NothingIsWrittenWhileARunIsOnOrWhenTheFolderCannotBeMade)
{
    Form1 &f = analysed();
    f.Decoding = true;
    f.SalvaListados->trigger();
    f.Decoding = false;
    deletion.running = true;
    f.SalvaListados->trigger();
    deletion.running = false;
    EXPECT_FALSE(QFile::exists(host("P/Listados")));
    EXPECT_TRUE(asked().isEmpty());

    // "Listados" is a file: a clear message, nothing written.
    write("P/Listados", "no soy una carpeta");
    f.SalvaListados->trigger();
    ASSERT_EQ(asked().size(), 1);
    EXPECT_TRUE(asked()[0].startsWith("SalvaListados | No se puede crear la carpeta de los listados:"))
        << asked()[0].toStdString();
    EXPECT_EQ(f.lastListados().written, 0);
    EXPECT_FALSE(f.Decoding);
}

TEST_F(ListingsWindow, AFailedWriteIsReported)
{
    Form1 &f = analysed();
    QDir().mkpath(host("P/Listados/Archivos Totales.log"));
    f.SalvaListados->trigger();
    EXPECT_EQ(f.lastListados().written, 4);
    ASSERT_EQ(f.lastListados().failed.size(), 1);
    EXPECT_TRUE(f.lastListados().failed[0].startsWith("Archivos Totales.log: "));
    ASSERT_EQ(asked().size(), 1);
    EXPECT_TRUE(asked()[0].contains("Archivos Totales.log")) << asked()[0].toStdString();
}

TEST_F(ListingsWindow, ACancelStopsWithoutReplacingGoodListingsAndTheRunHoldsTheBusyFlag)
{
    HookedPlayer hooked;
    use(hooked);
    Form1 &f = analysed();
    f.SalvaListados->trigger();
    const QByteArray goodB = read(listing("Archivos de B.log"));
    const QByteArray goodTotal = read(listing("Archivos Totales.log"));
    const QStringList shown = Form1::lines(f.ListVip);

    // An old cancel does not stop the next run; a cancel while the second
    // project is read does.
    f.cancelar = true;
    int decodes = 0;
    bool busy = true;
    hooked.hook = [&] {
        if (f.cancelar)
            return; // looks after the cancel
        busy = busy && f.Decoding && f.analysisRunning() && !f.cmdCancelar->isHidden();
        if (++decodes == 2)
            f.cmdCancelar_Click();
    };
    QFile::remove(listing("Archivos de A.log"));
    f.SalvaListados->trigger();
    hooked.hook = nullptr;

    EXPECT_TRUE(busy);
    EXPECT_TRUE(f.lastListados().cancelled);
    EXPECT_EQ(f.lastListados().written, 1);
    EXPECT_TRUE(QFile::exists(listing("Archivos de A.log")));
    EXPECT_EQ(read(listing("Archivos de B.log")), goodB);
    EXPECT_EQ(read(listing("Archivos Totales.log")), goodTotal);
    EXPECT_EQ(Form1::lines(f.ListVip), shown);
    EXPECT_FALSE(f.Decoding);
    EXPECT_FALSE(f.analysisRunning());
}

TEST_F(ListingsWindow, NothingIsWrittenThroughALink)
{
    // Each link points at a file outside the project folders; it and the
    // link stay as they are, and the user is told why.
    struct Case
    {
        const char *what;
        QString link;   // under the library
        QString target; // what it points to, under the library
        bool perdidos;  // the missing-files log rather than the listings
    };
    const QString log = Unused::missingLogName(SpanishDate::today());
    const Case cases[] = {
        {"the listings folder", "P/Listados", "Fuera", false},
        {"a listing", "P/Listados/Archivos Totales.log", "Fuera/Archivos Totales.log", false},
        {"the missing-files log", "P/" + log, "Fuera/Archivos Totales.log", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(host("P/Listados")).removeRecursively();
        QDir(host("Fuera")).removeRecursively();
        write("Fuera/Archivos Totales.log", "ajeno");
        QDir().mkpath(QFileInfo(host(c.link)).path());
        ASSERT_TRUE(QFile::link(host(c.target), host(c.link)));
        Form1 &f = analysed();
        answerDialogs();
        if (c.perdidos) {
            perdidos().cmdLog->click();
        } else {
            f.SalvaListados->trigger();
            EXPECT_NE(f.TextDecode->toPlainText().left(22), "Listados guardados en:");
        }
        EXPECT_EQ(read(host("Fuera/Archivos Totales.log")), "ajeno");
        EXPECT_EQ(QDir(host("Fuera")).entryList(QDir::Files | QDir::Hidden), QStringList{"Archivos Totales.log"});
        EXPECT_TRUE(QFileInfo(host(c.link)).isSymLink());
        ASSERT_EQ(asked().size(), 1);
        EXPECT_TRUE(asked()[0].contains("es un enlace simbólico: no se escribe a través de un enlace"))
            << asked()[0].toStdString();
        if (!c.perdidos) {
            EXPECT_EQ(f.lastListados().written, QFileInfo(host(c.link)).fileName() == "Listados" ? 0 : 4);
        }
        QFile::remove(host(c.link));
    }
}

TEST_F(ListingsWindow, DatesAreWrittenAsInSpainUnderTheCLocale)
{
    RUN_UNDER_C_LOCALE();
    const QDateTime when(QDate(2026, 12, 10), QTime(9, 5, 3));
    EXPECT_EQ(SpanishDate::date(when.date()), "10/12/26");
    EXPECT_EQ(SpanishDate::date(QDate(2026, 2, 1)), "1/2/26");
    EXPECT_EQ(SpanishDate::time(when.time()), "9:05:03");
    EXPECT_EQ(InfoTexts::dateText(when), "10/12/26 9:05:03");
    EXPECT_EQ(ShellCopy::fileFacts(12, when), "12 bytes, modificado el 10/12/26 9:05");
    EXPECT_EQ(Unused::missingLogName(SpanishDate::date(when.date())), "Perdidos_10-12-26.log");

    // Today's, in a listing and in the missing-files log's name and text.
    const QDate today = QDate::currentDate();
    const QString spain = QStringLiteral("%1/%2/%3").arg(today.day()).arg(today.month()).arg(today.year() % 100, 2, 10,
                                                                                             QLatin1Char('0'));
    Form1 &f = analysed();
    f.SalvaListados->trigger();
    const QByteArray first = read(listing("Archivos Totales.log")).split('\r').value(0);
    EXPECT_TRUE(QRegularExpression("^Fecha: " + QRegularExpression::escape(spain) + "    Hora: \\d?\\d:\\d\\d:\\d\\d$")
                    .match(QString::fromLatin1(first))
                    .hasMatch())
        << first.constData();
    answerDialogs();
    perdidos().cmdLog->click();
    const QString name = "Perdidos_" + QString(spain).replace(u'/', u'-') + ".log";
    EXPECT_TRUE(read(host("P/" + name)).contains(" " + spain.toLatin1() + " a las: ")) << name.toStdString();
}

TEST_F(ListingsWindow, TheMenuFollowsTheListsWhenTheOpenDialogIsCancelled)
{
    Form1 &f = analysed();
    ASSERT_TRUE(f.SalvaListados->isVisible());
    const QStringList used = Form1::lines(f.ListUtilizados);
    answerDialogs(); // no path queued: the dialog is cancelled
    QTest::mouseClick(f.AbrirFichero, Qt::LeftButton);
    EXPECT_EQ(Form1::lines(f.ListUtilizados), used);
    EXPECT_TRUE(f.SalvaListados->isVisible());

    // A project chosen, the lists go and come back with it.
    openProject(f, host("P/B.vip"));
    EXPECT_EQ(f.ListProyectos->count(), 1);
    EXPECT_TRUE(f.SalvaListados->isVisible());
}
