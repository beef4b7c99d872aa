#include "main/FolderListWindows.h"
#include "main/FolderLists.h"
#include "main/Form1.h"
#include "main/Perdidos.h"
#include "platform/Settings.h"
#include "services/Module2.h"
#include "services/Class1.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {

// The main window, for the faults a review found around searches, balloons
// and the status box.
class MainWindowEdges : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        answerDialogs();
    }
};

TEST_F(MainWindowEdges, ACancelledSearchLeavesNoCancelNorHourglassBehind)
{
    write("A/nada.txt", "x");
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/Copias/Voz.wav", 1, 8000, 16, 0.1));
    FolderLists::storeSearchFolders({QString(), win("A"), win("Copias")});
    Form1 &f = form1();
    f.show();
    f.ListVip->addItem(win("P/Audio/Voz.wav"));
    f.ListVip->setCurrentRow(0);

    // Cancel pressed while the search walks.
    QTimer poke;
    bool pressed = false;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (f.analysisRunning() && !pressed) {
            pressed = true;
            f.cmdCancelar_Click();
        }
    });
    poke.start(0);
    f.ListVip_Click();
    poke.stop();
    ASSERT_TRUE(pressed);
    EXPECT_TRUE(player.played.isEmpty());
    EXPECT_NE(f.cursor().shape(), Qt::WaitCursor) << "hourglass left on the main window";

    // A later click is not cut short by the old cancel: the copy in the
    // second folder is found.
    f.ListVip_Click();
    EXPECT_EQ(player.played, QStringList{win("Copias/Voz.wav")}) << f.TextDecode->toPlainText().toStdString();
}

TEST_F(MainWindowEdges, AMissingNameWithoutTitleIsNotSearchedFor)
{
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/Copias/otra.wav", 1, 8000, 16, 0.1));
    write("Copias/x.txt", "x");
    FolderLists::storeSearchFolders({QString(), win("Copias")});
    Form1 &f = form1();
    f.show();
    f.ListVip->addItem(win("P/Audio/caf?.wav"));
    f.ListVip->setCurrentRow(0);
    f.ListVip_Click();
    EXPECT_TRUE(player.played.isEmpty()) << player.played.join(',').toStdString();
    EXPECT_EQ(f.Buscado, win("P/Audio/caf?.wav"));
    EXPECT_TRUE(f.TextDecode->toPlainText().endsWith("No existe en ninguna carpeta"));
}

TEST_F(MainWindowEdges, ManyCopiesFoundScrollInTheStatusBox)
{
    for (int i = 0; i < 150; ++i)
        write(QStringLiteral("Copias/S%1/Kick.wav").arg(i), "x");
    FolderLists::storeSearchFolders({QString(), win("Copias")});
    Form1 &f = form1();
    f.show();
    QCoreApplication::processEvents();
    const int before = f.height();
    f.ListVip->addItem(win("P/Kick.wav"));
    f.ListVip->setCurrentRow(0);
    f.ListVip_Click();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
    EXPECT_LT(f.minimumSizeHint().height(), 2000);
    EXPECT_EQ(f.height(), before) << "the window grew with the report";
    EXPECT_GT(f.TextDecode->toPlainText().count(u'\n'), 100) << "the whole report is there, to scroll";
}

TEST_F(MainWindowEdges, ProjectBalloonAfterADropTellsTheProject)
{
    write("P/Audio/a.wav", Fixtures::noise(64, 1));
    write("P/A.vip", Fixtures::vipBytes({win("P/Audio/a.wav")}));
    Form1 &f = form1();
    f.show();
    Module2::InfoArchivo = " Tamaño: 9.99 Mb\r\n Fecha: ayer\r\n----\r\nTipo: Wav";
    f.AbrirRuta(win("P"));
    EXPECT_FALSE(f.TipProyectos->TipText().contains("9.99"));
    EXPECT_TRUE(f.TipProyectos->TipText().startsWith(" Tamaño: "));
    EXPECT_EQ(f.TipProyectos->Title(), "A.vip");
}
} // namespace

TEST_F(MainWindowEdges, AssociatedFilesButtonShowsTheWindowAtAnyTime)
{
    Form1 &f = form1();
    EXPECT_EQ(f.cmdAsociados->toolTip(), "Borrar archivos asociados");
    EXPECT_FALSE(f.cmdAsociados->isHidden());
    f.Decoding = true;
    f.cmdAsociados->click();
    f.Decoding = false;
    EXPECT_EQ(associated.shows, 1);
}

// The reset and a new analysis unload the associated-files window: while it
// scans or deletes they are refused, and the main window says so.
TEST_F(MainWindowEdges, ResetAndNewAnalysisWaitForTheAssociatedFilesWindow)
{
    Form1 &f = form1();
    Form1::setLines(f.ListProyectos, {"1 --> " + win("P/a.vip")});
    associated.busy = true;
    f.cmdReset_Click();
    f.AbrirRuta(win("P"));
    EXPECT_EQ(associated.unloads, 0);
    EXPECT_EQ(f.ListProyectos->count(), 1);
    EXPECT_FALSE(f.TextDecode->isHidden());
    EXPECT_TRUE(f.TextDecode->toPlainText().contains("Espere a que termine la búsqueda o el borrado de archivos asociados"));
    associated.busy = false;
    f.cmdReset_Click();
    EXPECT_EQ(associated.unloads, 1);
    EXPECT_EQ(f.ListProyectos->count(), 0);
}
