#include "main/Listados.h"

#include "main/Form1.h"
#include "platform/Ansi.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

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
    const QString file = dir.path() + "/l.log";
    ASSERT_TRUE(Listados::write(file, {"Canción", " ", ""}));
    EXPECT_EQ(read(file), QByteArray("Canci\xF3n\r\n \r\n\r\n"));
    QString why;
    EXPECT_FALSE(Listados::write(dir.path() + "/no/l.log", {"x"}, &why));
    EXPECT_FALSE(why.isEmpty());
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
