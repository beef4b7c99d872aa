#include "main/Form1.h"
#include "main/Perdidos.h"

#include "platform/Ansi.h"
#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/SpanishDate.h"
#include "platform/WinFs.h"
#include "services/Module2.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"

#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <functional>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

class UnusedWindow : public WindowTest
{
protected:
    // A project using a.wav (present) and gone.wav (missing), beside an
    // unused take, a peak file and a folder named like a take.
    QString library()
    {
        write("P/Audio/a.wav", "a");
        write("P/Audio/spare.wav", "s");
        write("P/Audio/a.h2", "peaks");
        write("P/Old.wav/inside.wav", "i");
        return write("P/Tema.vip", Fixtures::vipBytes({win("P/Audio/a.wav"), win("P/Audio/gone.wav")}));
    }
    static QString today() { return SpanishDate::today(); }

};

} // namespace

TEST_F(UnusedWindow, AnalysisListsUnusedAndMissingFiles)
{
    Form1 &f = form1();
    openProject(f, library());
    EXPECT_EQ(Form1::lines(f.ListBorrar), (QStringList{win("P/Audio/spare.wav"), win("P/Old.wav/inside.wav")}));
    EXPECT_EQ(f.LabelErase[1]->text(), "Archivos no utilizados: 2     Duplicados: 0    Total: 2");
    EXPECT_FALSE(f.LabelErase[1]->isHidden());
    EXPECT_TRUE(f.LabelErase[0]->isHidden());
    EXPECT_FALSE(f.CommandBorrado->isHidden());

    ASSERT_TRUE(perdidosLoaded());
    Perdidos &p = perdidos();
    EXPECT_TRUE(p.isHidden()) << "the search fills the window but does not show it";
    EXPECT_EQ(Form1::lines(p.ListPerdidos), (QStringList{"1 --> " + win("P/Tema.vip"), win("P/Audio/gone.wav")}));
    EXPECT_EQ(p.TextEncontrados->text(), "Encontrados: 1 archivos perdidos o desubicados en otras rutas");
    EXPECT_EQ(Module2::TablaPerdidos, Form1::lines(p.ListPerdidos));
    EXPECT_FALSE(f.cmdPerdidos->isHidden());
    EXPECT_EQ(p.windowTitle(), "      Ficheros perdidos");
    EXPECT_TRUE(p.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(UnusedWindow, OtherProjectsOfTheFoldersAreNamedOnceByTheirCount)
{
    const QString tema = library();
    write("P/Audio/b.wav", "b");
    write("P/Sub/Otro.vip", Fixtures::vipBytes({win("P/Audio/b.wav")}));
    write("P/Hermano.vip", Fixtures::vipBytes({win("P/Audio/b.wav")}));
    write("P/Tema_BAK.vip", Fixtures::vipBytes({win("P/Audio/b.wav")})); // backups are not analysed
    write("P/Midi.vip", Fixtures::vipBytes({}));          // no audio: never analysed
    write("P/Sub/Midi2.vip", Fixtures::vipBytes({}));     // nor in a sub-folder
    Fixtures::VipOptions cut;
    cut.marker = false;
    write("P/Sub/Cortado.vip", Fixtures::vipBytes({win("P/Audio/b.wav")}, cut)); // lost its end: it may use them
    Form1 &f = form1();
    openProject(f, tema);
    EXPECT_TRUE(Form1::lines(f.ListBorrar).contains(win("P/Audio/b.wav"))) << "only listed projects count";
    EXPECT_FALSE(f.TextDecode->isHidden());
    EXPECT_EQ(f.TextDecode->property("alertaColor").toUInt(), 0x8080EEu);
    EXPECT_EQ(f.TextDecode->toPlainText(),
              " >>> AVISO <<<   Hay 3 proyectos VIP más en estas carpetas que no se han analizado: sus archivos "
              "pueden figurar como no utilizados. Para incluirlos, analice la carpeta.");

    // The folder analysed, every project is: nothing to say but the one
    // that lost its end, whose takes are now kept.
    f.AbrirRuta(win("P"));
    EXPECT_FALSE(Form1::lines(f.ListBorrar).contains(win("P/Audio/b.wav")));
    EXPECT_EQ(f.TextDecode->toPlainText(), " >>> AVISO <<<   El proyecto " + win("P/Sub/Cortado.vip")
                                               + " parece dañado (le falta el final): sus archivos de audio se conservan.");
}

TEST_F(UnusedWindow, TakesOfADamagedProjectAndInnerExtensionsAreKept)
{
    // Tema names takes by names with inner audio extensions; Cortado
    // lost its end (no marker): it is no project of the folder, but the
    // takes its bytes name are kept, and it is named once.
    write("P/Audio/x.1.mp3.wav", "x");
    write("P/Audio/x.1.mp3.wav.bak.wav", "copy");
    write("P/Audio/voz.wav (2).wma", "v");
    write("P/Audio/cut.wav", "c");
    write("P/Audio/CUT2.WAV", "c2");
    write("P/Audio/spare.wav", "s");
    const QString tema =
        write("P/Tema.vip", Fixtures::vipBytes({win("P/Audio/x.1.mp3.wav"), win("P/Audio/voz.wav (2).wma")}));
    Fixtures::VipOptions cut;
    cut.marker = false;
    write("P/Cortado.vip", Fixtures::vipBytes({win("P/Audio/cut.wav"), win("P/Audio/cut2.wav")}, cut));
    const QString notice = " >>> AVISO <<<   El proyecto " + win("P/Cortado.vip")
        + " parece dañado (le falta el final): sus archivos de audio se conservan.";
    Form1 &f = form1();
    f.show();
    const std::function<void()> roads[] = {[&] { f.AbrirRuta(win("P")); }, [&] { openProject(f, tema); }};
    for (const auto &road : roads) {
        road();
        EXPECT_EQ(Form1::lines(f.ListProyectos), QStringList{"1 --> " + win("P/Tema.vip")});
        EXPECT_EQ(Form1::lines(f.ListVip), (QStringList{win("P/Audio/x.1.mp3.wav"), win("P/Audio/voz.wav")}));
        EXPECT_EQ(Form1::lines(f.ListBorrar), QStringList{win("P/Audio/spare.wav")});
        EXPECT_EQ(f.TextDecode->toPlainText().count(notice), 1) << f.TextDecode->toPlainText().toStdString();
        EXPECT_FALSE(f.TextDecode->isHidden());
    }
    // Dropped alone, it is analysed as no project, and named.
    f.AbrirRuta(win("P/Cortado.vip"));
    EXPECT_EQ(f.ListProyectos->count(), 0);
    EXPECT_EQ(f.TextDecode->toPlainText(), notice);
}

TEST_F(UnusedWindow, AUsedNameIsFoundWhateverItsSpellingOnTheDisk)
{
    // Each case a project folder of its own: what is on the disk, what the
    // project names, and what the analysis offers, finds missing and says.
    // "\u0301" after a letter is the accent as another system's copy spells
    // it; the project's code page has one character for "ó".
    struct Case
    {
        const char *what;
        QList<std::pair<QString, QByteArray>> files;
        QStringList pipes, danglingLinks, used, offered, missing;
        int together; // the files the status box says answer together
    };
    const QList<Case> cases = {
        {"a decomposed accent is the take", {{"Audio/Cancio\u0301n.wav", "take"}, {"Audio/otra.wav", "o"}},
         {}, {}, {"Audio/Canción.wav"}, {"Audio/otra.wav"}, {}, 0},
        {"the namesakes of a missing take, in either form",
         {{"Viejas/CANCIO\u0301N.WAV", "moved"}, {"Viejas/Canción.wav", "moved too"}}, {}, {},
         {"Audio/Canción.wav"}, {}, {"Audio/Canción.wav"}, 0},
        {"a copy in the other form: by its bytes",
         {{"Audio/Canción.wav", "take"}, {"Copia/cancio\u0301n.wav", "take"}, {"Otra/cancio\u0301n.wav", "other"}},
         {}, {}, {"Audio/Canción.wav"}, {"Otra/cancio\u0301n.wav"}, {}, 0},
        {"a take named by a part of its name, in the other form", {{"Audio/Cancio\u0301n.mp3.wav", "take"}}, {}, {},
         {"Audio/Canción.mp3"}, {}, {"Audio/Canción.mp3"}, 0},
        {"two case variants and no exact spelling", {{"Audio/Take.wav", "one"}, {"Audio/take.WAV", "two"}}, {}, {},
         {"Audio/TAKE.WAV"}, {}, {}, 2},
        {"the accent's two forms and two cases", {{"Audio/Cancio\u0301n.wav", "1"}, {"Audio/CANCIÓN.WAV", "2"}}, {},
         {}, {"Audio/Canción.wav"}, {}, {}, 2},
        {"the exact spelling is the one used", {{"Audio/Take.wav", "one"}, {"Audio/take.WAV", "two"}}, {}, {},
         {"Audio/Take.wav"}, {"Audio/take.WAV"}, {}, 0},
        {"two folders answer", {{"audio/x.wav", "1"}, {"Audio/x.wav", "2"}, {"AUDIO/y.wav", "3"}}, {}, {},
         {"AuDio/x.wav"}, {"AUDIO/y.wav"}, {}, 2},
        {"a pipe and a dangling link named like a used take",
         {{"Audio/take.wav", "t"}, {"Viejas/spare.wav", "s"}}, {"Viejas/take.wav"}, {"Otras/TAKE.wav"},
         {"Audio/take.wav"}, {"Viejas/spare.wav"}, {}, 0},
        {"a pipe and a dangling link are not the used take",
         {{"Audio/voz.wav", "v"}, {"Copia/Voz.wav", "other bytes"}}, {"Audio/Voz.wav", "Audio/VOZ.wav"},
         {"Audio/vOz.wav"}, {"Audio/Voz.wav"}, {"Copia/Voz.wav"}, {}, 0},
    };
    Form1 &f = form1();
    for (qsizetype k = 0; k < cases.size(); ++k) {
        const Case &c = cases[k];
        const QString top = "C" + QString::number(k) + "/";
        for (const auto &[rel, bytes] : c.files)
            write(top + rel, bytes);
        for (const QString &rel : c.pipes) {
            QDir().mkpath(QFileInfo(host(top + rel)).path());
            ASSERT_EQ(::mkfifo(QFile::encodeName(host(top + rel)).constData(), 0600), 0) << c.what;
        }
        for (const QString &rel : c.danglingLinks) {
            QDir().mkpath(QFileInfo(host(top + rel)).path());
            ASSERT_TRUE(QFile::link(host(top + "nowhere.wav"), host(top + rel))) << c.what;
        }
        QStringList used, offered, missing{"1 --> " + win(top + "Tema.vip")};
        for (const QString &rel : c.used)
            used << win(top + rel);
        for (const QString &rel : c.offered)
            offered << win(top + rel);
        for (const QString &rel : c.missing)
            missing << win(top + rel);
        openProject(f, write(top + "Tema.vip", Fixtures::vipBytes(used)));

        QStringList got = Form1::lines(f.ListBorrar);
        got.sort();
        offered.sort();
        EXPECT_EQ(got, offered) << c.what;
        EXPECT_EQ(Form1::lines(perdidos().ListPerdidos), missing) << c.what;
        const QString status = f.TextDecode->isHidden() ? QString() : f.TextDecode->toPlainText();
        const QString notice = " >>> AVISO <<<   Hay " + QString::number(c.together)
            + " archivos que responden a un mismo nombre usado sin distinguir mayúsculas: no se ofrece ninguno "
              "para borrar.";
        EXPECT_EQ(status.count(notice), c.together > 0 ? 1 : 0) << c.what << ": " << qPrintable(status);
        EXPECT_FALSE(c.together == 0 && status.contains("responden a un mismo nombre")) << c.what;
    }
}

TEST_F(UnusedWindow, NothingUnusedShowsTheNoneCaption)
{
    write("P/a.wav", "a");
    const QString vip = write("P/Tema.vip", Fixtures::vipBytes({win("P/a.wav")}));
    Form1 &f = form1();
    openProject(f, vip);
    EXPECT_EQ(f.ListBorrar->count(), 0);
    EXPECT_EQ(f.LabelErase[0]->text(), "No se han encontrado archivos no utilizados");
    EXPECT_FALSE(f.LabelErase[0]->isHidden());
    EXPECT_TRUE(f.LabelErase[1]->isHidden());
    EXPECT_TRUE(f.CommandBorrado->isHidden());
    EXPECT_TRUE(f.cmdPerdidos->isHidden()) << "one project with nothing missing: the header alone";
    EXPECT_EQ(Form1::lines(perdidos().ListPerdidos), QStringList{"1 --> " + win("P/Tema.vip")});
}

TEST_F(UnusedWindow, LogBytesAndConfirmation)
{
    Form1 &f = form1();
    openProject(f, library());
    Perdidos &p = perdidos();
    DialogAnswerer answer;
    p.cmdLog->click();
    const QString name = "Perdidos_" + QString(today()).replace(u'/', u'-') + ".log";
    QFile log(dir.path() + "/P/" + name);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << qPrintable(log.fileName());
    const QByteArray bytes = log.readAll();
    const QByteArray head = "Encontrados: 1 archivos perdidos o desubicados en otras rutas  " + today().toLatin1()
        + " a las: ";
    ASSERT_TRUE(bytes.startsWith(head)) << bytes.constData();
    const qsizetype firstEnd = bytes.indexOf("\r\n");
    EXPECT_TRUE(QRegularExpression("^\\d?\\d:\\d\\d:\\d\\d$")
                    .match(QString::fromLatin1(bytes.mid(head.size(), firstEnd - head.size())))
                    .hasMatch())
        << "H:mm:ss";
    EXPECT_EQ(bytes.mid(firstEnd),
              "\r\n\r\n" + Ansi::encode("1 --> " + win("P/Tema.vip")) + "\r\n" + Ansi::encode(win("P/Audio/gone.wav"))
                  + "\r\n");
    ASSERT_EQ(answer.messages().size(), 1);
    EXPECT_EQ(answer.messages()[0], "Archivos perdidos | Se ha salvado el archivo...." + name
                                        + "\r\nCon la lista de archivos de audio\r\nperdidos o ubicados en otras rutas "
                                          "\r\nEn la ruta: "
                                        + win("P/") + "\r\n");
}

TEST_F(UnusedWindow, LogIsJoinedWithABackslashAndFailuresAreReported)
{
    Form1 &f = form1();
    openProject(f, library());
    Perdidos &p = perdidos();
    // A folder shown without its trailing "\" (the folder road) still gets
    // the log inside it, not beside it.
    f.LabelCheck[1]->setText(win("P"));
    DialogAnswerer answer;
    p.cmdLog->click();
    const QString name = "Perdidos_" + QString(today()).replace(u'/', u'-') + ".log";
    EXPECT_TRUE(QFile::exists(dir.path() + "/P/" + name));
    EXPECT_FALSE(QFile::exists(dir.path() + "/P" + name));

    // A folder that does not exist: the user is told, nothing claims success.
    f.LabelCheck[1]->setText(win("Nowhere\\Deeper"));
    p.cmdLog->click();
    ASSERT_EQ(answer.messages().size(), 2);
    EXPECT_TRUE(answer.messages()[1].startsWith("Archivos perdidos | No se ha podido salvar el archivo...." + name))
        << qPrintable(answer.messages()[1]);
}

TEST_F(UnusedWindow, ClosedWindowReopensFromTheCopyAtItsSavedPlace)
{
    Form1 &f = form1();
    openProject(f, library());
    f.cmdPerdidos->click();
    Perdidos *p = &perdidos();
    EXPECT_TRUE(p->isVisible());
    p->move(150, 120);
    p->HScroll3->setValue(70);
    EXPECT_EQ(p->Label1->text(), "30");
    const QStringList shown = Form1::lines(p->ListPerdidos);
    p->cmdSalir->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(perdidosLoaded());
    EXPECT_EQ(Settings::get("HScroll3"), "70");
    EXPECT_EQ(Settings::get("Perdidos_Left"), QString::number(150 * 15));

    f.cmdPerdidos->click();
    ASSERT_TRUE(perdidosLoaded());
    p = &perdidos();
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(Form1::lines(p->ListPerdidos), shown);
    EXPECT_EQ(p->pos(), QPoint(150, 120));
    EXPECT_EQ(p->HScroll3->value(), 70);

    // The button hides it again and keeps its place.
    p->move(200, 160);
    f.cmdPerdidos->click();
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(Settings::get("Perdidos_Top"), QString::number(160 * 15));
}

TEST_F(UnusedWindow, StoredPositionOffEveryScreenIsIgnored)
{
    Settings::set("Perdidos_Left", "-9000000");
    Settings::set("Perdidos_Top", "abc");
    Settings::set("HScroll3", "5000");
    Perdidos &p = perdidos();
    EXPECT_GT(p.x(), -100000 / 15);
    EXPECT_EQ(p.HScroll3->value(), 100);
}
