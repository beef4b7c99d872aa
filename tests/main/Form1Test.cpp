#include "main/Form1.h"

#include "platform/Ansi.h"
#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"
#include "tests/support/Readable.h"

#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

using Form1Window = WindowTest;

} // namespace

TEST_F(Form1Window, OpeningAProjectFillsTheListsAndCaptions)
{
    write("Proyectos/Audio/a.wav", "a");
    const QString tema = write("Proyectos/Tema.vip", Fixtures::vipBytes({win("Proyectos/Audio/a.wav"),
                                                                         win("Proyectos/Audio/b.wav"),
                                                                         win("Proyectos/Audio/a.wav")}));
    write("Proyectos/Tema_BAK.vip", Fixtures::vipBytes({win("Proyectos/Audio/a.wav")}));
    Form1 &f = form1();
    openProject(f, tema);

    EXPECT_FALSE(f.Decoding);
    EXPECT_EQ(Form1::lines(f.ListProyectos), QStringList{"1 --> " + win("Proyectos/Tema.vip")});
    EXPECT_EQ(f.LabelCheck[0]->text(), "Encontrados 1 proyectos en:");
    EXPECT_EQ(f.LabelCheck[1]->text(), win("Proyectos/"));
    EXPECT_EQ(Form1::lines(f.ListVip).size(), 3);
    EXPECT_EQ(f.LabelCount[0]->text(), "3 Archivos utilizados en: " + win("Proyectos/Tema.vip"));
    EXPECT_EQ(Form1::lines(f.ListUtilizados),
              (QStringList{" ", "1 --> " + win("Proyectos/Tema.vip"), " ", win("Proyectos/Audio/a.wav"),
                           win("Proyectos/Audio/b.wav")}));
    EXPECT_EQ(f.LabelAdd[0]->text(), "3  archivos en: 1 proyectos, 1 duplicados borrados de la lista; Total: 2");
    EXPECT_FALSE(f.LabelAdd[0]->isHidden());
    EXPECT_TRUE(f.cmdCancelar->isHidden());
    EXPECT_FALSE(f.cmdReset->isHidden());
    EXPECT_TRUE(f.TextDecode->isHidden());
}

TEST_F(Form1Window, NoLineLongerThanAWindowsPathReachesAList)
{
    // A project holding a megabyte without a NUL that ends in ".wav" (a
    // damaged or hostile file): the run names no file and the window never
    // lays out a line of that length; the take after it is read as always.
    write("P/Audio/a.wav", "a");
    write("P/Audio/spare.wav", "s");
    const QByteArray run = "D:\\P\\" + QByteArray(1 << 20, 'n') + ".wav";
    const QString tema = write("P/Tema.vip", Fixtures::vipRaw(run + QByteArray(1, '\0')
                                                              + Ansi::encode(win("P/Audio/a.wav")) + QByteArray(1, '\0')));
    Form1 &f = form1();
    openProject(f, tema);
    EXPECT_EQ(Form1::lines(f.ListVip), QStringList{win("P/Audio/a.wav")});
    EXPECT_EQ(Form1::lines(f.ListBorrar), QStringList{win("P/Audio/spare.wav")});
    for (QListWidget *l : {f.ListVip, f.ListUtilizados, f.ListBorrar, f.ListProyectos})
        for (const QString &line : Form1::lines(l))
            EXPECT_LE(line.size(), 32767) << l->objectName().toStdString();
}

TEST_F(Form1Window, BackupProjectsJoinWhenTicked)
{
    write("P/Audio/a.wav", "a");
    const QString tema = write("P/Tema.VIP", Fixtures::vipBytes({win("P/Audio/a.wav"), win("P/Audio/x.wav")}));
    write("P/Tema_BAK.VIP", Fixtures::vipBytes({win("P/Audio/a.wav"), win("P/Audio/y.wav")}));
    write("P/Otro.vip", Fixtures::vipBytes({win("P/Audio/z.wav")}));
    Form1 &f = form1();
    f.CheckBAK->setChecked(true);
    openProject(f, tema);
    EXPECT_EQ(Form1::lines(f.ListProyectos),
              (QStringList{"1 --> " + win("P/Tema.VIP"), "2 --> " + win("P/Tema_BAK.VIP")}));
    EXPECT_EQ(Form1::lines(f.ListUtilizados),
              (QStringList{" ", "1 --> " + win("P/Tema.VIP"), " ", win("P/Audio/a.wav"), win("P/Audio/x.wav"), " ",
                           "2 --> " + win("P/Tema_BAK.VIP"), " ", win("P/Audio/y.wav")}));
    EXPECT_EQ(f.LabelAdd[0]->text(), "4  archivos en: 2 proyectos, 1 duplicados borrados de la lista; Total: 3");
}

TEST_F(Form1Window, ProjectWithoutAudioIsRefusedWithAWarning)
{
    // A project without audio paths; one whose paths lack the end marker
    // after them (cut short) is refused the same way and named as damaged.
    Fixtures::VipOptions cut;
    cut.marker = false;
    const struct
    {
        QByteArray bytes;
        QString said;
    } cases[] = {
        {Fixtures::vipBytes({}), " >>> AVISO <<<   Este proyecto no tiene archivos de audio"},
        {Fixtures::vipBytes({"D:\\a.wav"}, cut),
         " >>> AVISO <<<   Este proyecto no tiene archivos de audio\r\n >>> AVISO <<<   El proyecto D:\\P\\Midi.vip "
         "parece dañado (le falta el final): sus archivos de audio se conservan."},
    };
    for (const auto &c : cases) {
        const QString p = write("P/Midi.vip", c.bytes);
        Form1 &f = form1();
        openProject(f, p);
        EXPECT_FALSE(f.TextDecode->isHidden());
        EXPECT_EQ(f.TextDecode->toPlainText(), QString(c.said).replace("\r\n", "\n"));
        EXPECT_EQ(f.TextDecode->property("alertaColor").toUInt(), 0x8080EEu);
        EXPECT_EQ(f.ListProyectos->count(), 0);
        EXPECT_FALSE(f.Decoding);
    }
}

TEST_F(Form1Window, CancellingTheDialogChangesNothing)
{
    const QString p = write("P/T.vip", Fixtures::vipBytes({"D:\\a.wav"}));
    Form1 &f = form1();
    openProject(f, p);
    const QStringList before = Form1::lines(f.ListUtilizados);
    DialogAnswerer answer;
    answer.queuePath(QString());
    QTest::mouseClick(f.AbrirFichero, Qt::LeftButton);
    EXPECT_EQ(Form1::lines(f.ListUtilizados), before);
    EXPECT_FALSE(before.isEmpty());
}

TEST_F(Form1Window, StatusBoxColoursAndHeight)
{
    Form1 &f = form1();
    f.Alerta(2, "Descodificando: D:\\x.vip", true);
    EXPECT_EQ(f.TextDecode->property("alertaColor").toUInt(), 0xFFFFC0u);
    EXPECT_EQ(f.TextDecode->height(), std::max(qRound(f.TextDecode->property("lineCount").toInt() * 250 / 15.0),
                                               f.TextDecode->height()));
    f.Alerta(0, "otro", true);
    EXPECT_EQ(f.TextDecode->property("alertaColor").toUInt(), 0xFFFFC0u);
    EXPECT_EQ(f.TextDecode->toPlainText(), "otro");
    f.Alerta(1, "x", false);
    EXPECT_TRUE(f.TextDecode->isHidden());

    // Its last line is never cut.
    f.show();
    QApplication::processEvents();
    for (const QString &text : {QStringLiteral(" >>> AVISO <<<   Este archivo no es reproducible"),
                                QStringLiteral("El archivo: \r\nD:\\a.wav\r\nNo existe en ninguna carpeta")}) {
        f.Alerta(3, text, true);
        QApplication::processEvents();
        QTextCursor end(f.TextDecode->document());
        end.movePosition(QTextCursor::End);
        const int margin = int(f.TextDecode->document()->documentMargin());
        EXPECT_LE(f.TextDecode->cursorRect(end).bottom() + 1 + margin, f.TextDecode->viewport()->height())
            << text.size();
    }
}

TEST_F(Form1Window, GetPath)
{
    EXPECT_EQ(Form1::getPath("C:\\a\\b.vip", "\\"), "C:\\a\\");
    EXPECT_EQ(Form1::getPath("b.vip", "\\"), "");
    EXPECT_EQ(Form1::getPath("", "\\"), "");
    EXPECT_EQ(Form1::getPath("C:\\a", ""), "");
}

// A project large enough that its decoding is still running when a timer
// fires: the path area is padded with binary bytes.
static QByteArray bigProject(const QString &audio, int megabytes, int missing = 0)
{
    // One endless candidate ("C:\\xxxx...", no dot) that the scan walks byte
    // by byte, then the real path; then `missing` paths of files that are not
    // there, which keep the run busy after the project is read (it is read
    // once an analysis).
    QByteArray area = "C:\\";
    area += QByteArray(megabytes * 1024 * 1024, 'x');
    area.append('\0');
    area += audio.toLatin1();
    area.append('\0');
    for (int i = 0; i < missing; ++i)
        area += "D:\\Big\\Perdidas\\Toma " + QByteArray::number(i) + ".wav" + '\0';
    return Fixtures::vipRaw(area);
}

// Calls `action` once, as soon as the window's analysis is running.
static void whenDecoding(Form1 &f, std::function<void()> action, bool afterProjectList = false)
{
    auto *t = new QTimer(&f);
    t->setInterval(2);
    QObject::connect(t, &QTimer::timeout, &f, [&f, t, action, afterProjectList] {
        if (f.Decoding && (!afterProjectList || f.ListProyectos->count() > 0)) {
            t->stop();
            t->deleteLater();
            action();
        }
    });
    t->start();
}

TEST_F(Form1Window, CancelStopsTheDecodingQuickly)
{
    const QString p = write("Big/Big.vip", bigProject("D:\\Big\\a.wav", 150));
    // The chosen project is read once, before the run shows its cancel
    // button; the other project of its folder is read while it shows it.
    write("Big/Otro.vip", bigProject("D:\\Big\\b.wav", 150));
    Form1 &f = form1();
    QElapsedTimer clickedAt;
    qint64 stoppedAfter = -1;
    whenDecoding(f, [&] {
        clickedAt.start();
        f.cmdCancelar->click();
    });
    QElapsedTimer total;
    total.start();
    openProject(f, p);
    if (clickedAt.isValid())
        stoppedAfter = clickedAt.elapsed();
    EXPECT_TRUE(f.cancelar == false); // the run clears it before the missing-files search
    EXPECT_FALSE(f.Decoding);
    ASSERT_GE(stoppedAfter, 0) << "the run ended before the cancel fired (" << total.elapsed() << " ms)";
    EXPECT_LT(stoppedAfter, 1500);
}

TEST_F(Form1Window, ResetDuringARunCancelsInsteadOfEmptyingTheLists)
{
    const QString p = write("Big/Big.vip", bigProject("D:\\Big\\a.wav", 150, 40000));
    Form1 &f = form1();
    bool fired = false;
    bool openIgnored = false;
    whenDecoding(f, [&] {
        fired = true;
        // A second open while the first runs must not start.
        f.AbrirFichero_Click();
        openIgnored = true;
        f.cmdReset->click();
        EXPECT_TRUE(f.cancelar);
        EXPECT_FALSE(f.Decoding);
    }, true);
    openProject(f, p);
    EXPECT_TRUE(fired);
    EXPECT_TRUE(openIgnored);
    // The run ended as a cancelled run does: the project list stays.
    EXPECT_EQ(f.ListProyectos->count(), 1);
    EXPECT_FALSE(f.analysisRunning());
}

TEST_F(Form1Window, ACancelledRunOffersNothingForDeletion)
{
    write("Big/spare.wav", "s");
    write("Big/Takes/other.wav", "o");
    const QString p = write("Big/Big.vip", bigProject("D:\\Big\\a.wav", 150, 40000));
    Form1 &f = form1();
    whenDecoding(f, [&] { f.cmdCancelar->click(); }, true);
    openProject(f, p);
    EXPECT_EQ(f.ListBorrar->count(), 0);
    EXPECT_TRUE(f.CommandBorrado->isHidden());
    // The caption says why, and counts no file that is not listed.
    EXPECT_EQ(f.LabelErase[1]->text(), "Análisis cancelado: no se ofrece ningún archivo para borrar");
    EXPECT_FALSE(f.LabelErase[1]->isHidden());
    EXPECT_TRUE(f.LabelErase[0]->isHidden());
}

TEST_F(Form1Window, FixedBackgroundsCarryTheirTextColourUnderADarkTheme)
{
    const DarkPalette dark;
    Form1 &f = form1();
    for (int code = 1; code <= 4; ++code) {
        f.Alerta(code, "texto", true);
        EXPECT_EQ(unreadable(f.TextDecode), "") << code;
    }
    for (const QColor &c : {QColor(0xC0, 0xFF, 0xFF), QColor(0xFF, 0xC0, 0xC0), QColor(0xFF, 0xFF, 0xC0)}) {
        f.colorLapso(c);
        EXPECT_EQ(unreadable(f.TextLapsoTotal), "") << c.name().toStdString();
    }
    f.colorLapso(QColor());
    EXPECT_EQ(f.TextLapsoTotal->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base))
        << "the system colour again";
    EXPECT_EQ(unreadable(f.ListProyectosInfo), "");
    EXPECT_EQ(unreadable(f.LabelAviso, QPalette::WindowText, QPalette::Window), "");
}

TEST_F(Form1Window, ThePathLineIsNeverCoveredByItsScrollBar)
{
    Form1 &f = form1();
    f.show();
    QScrollBar *bar = f.ListPath->horizontalScrollBar();
    for (const QString &path : {"D:\\" + QString(400, u'x') + ".vip", QStringLiteral("D:\\a.vip")}) {
        f.MostrarRuta(path);
        QApplication::processEvents();
        const QRect line = f.ListPath->visualItemRect(f.ListPath->item(0));
        EXPECT_GE(f.ListPath->viewport()->height(), line.bottom() + 1) << path.size();
        EXPECT_EQ(bar->isVisible(), path.size() > 100) << "the bar only when the line is wider";
    }
}
