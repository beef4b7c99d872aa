#include "app/App.h"
#include "main/FolderListWindows.h"
#include "main/FolderLists.h"
#include "main/Form1.h"
#include "main/Peers.h"
#include "main/Perdidos.h"
#include "player/FormMedia.h"
#include "platform/MediaPlayer.h"
#include "platform/Settings.h"
#include "services/Module2.h"
#include "services/Class1.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"
#include "tests/support/LibraryTest.h"

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

// The main window with the real player and message hooks or stubs, for the
// faults a review found around searches, balloons and shut-down.
class MainWindowEdges : public LibraryTest
{
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        answerer = std::make_unique<DialogAnswerer>();
        saved = Peers::hooks();
        Form1::setEndProcess([this] { ++ended; });
    }
    void TearDown() override
    {
        Peers::hooks() = saved;
        if (formMediaLoaded())
            unloadFormMedia();
        formMediaHooks() = {};
        answerer.reset();
        Form1::setEndProcess({});
        unloadUnidadesBuscar();
        unloadPerdidos();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        unloadForm1();
    }
    void stubPlayer()
    {
        Peers::Hooks &h = Peers::hooks();
        h.playAudio = [this](const QString &a) { played << a; };
        h.stopPlayback = [] {};
        h.stopPlayer = [] {};
    }
    std::unique_ptr<DialogAnswerer> answerer;
    Peers::Hooks saved;
    QStringList played;
    int ended = 0;
};

TEST_F(MainWindowEdges, ACancelledSearchLeavesNoCancelNorHourglassBehind)
{
    stubPlayer();
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
    EXPECT_TRUE(played.isEmpty());
    EXPECT_NE(f.cursor().shape(), Qt::WaitCursor) << "hourglass left on the main window";

    // A later click is not cut short by the old cancel: the copy in the
    // second folder is found.
    f.ListVip_Click();
    EXPECT_EQ(played, QStringList{win("Copias/Voz.wav")}) << f.TextDecode->toPlainText().toStdString();
}

TEST_F(MainWindowEdges, AMissingNameWithoutTitleIsNotSearchedFor)
{
    stubPlayer();
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/Copias/otra.wav", 1, 8000, 16, 0.1));
    write("Copias/x.txt", "x");
    FolderLists::storeSearchFolders({QString(), win("Copias")});
    Form1 &f = form1();
    f.show();
    f.ListVip->addItem(win("P/Audio/caf?.wav"));
    f.ListVip->setCurrentRow(0);
    f.ListVip_Click();
    EXPECT_TRUE(played.isEmpty()) << played.join(',').toStdString();
    EXPECT_EQ(f.Buscado, win("P/Audio/caf?.wav"));
    EXPECT_TRUE(f.TextDecode->toPlainText().endsWith("No existe en ninguna carpeta"));
}

TEST_F(MainWindowEdges, PlayerVolumeSurvivesAnUnloadBeforeShutDown)
{
    Peers::hooks() = saved;
    App::setup();
    Form1::setEndProcess([this] { ++ended; });
    Settings::set("TotalCarpetasBusca", "1");
    Settings::set("Volumen", "30");
    Form1 &f = form1();
    f.Form_Load({});
    EXPECT_EQ(formMedia().WM->volume(), 30);
    formMedia().WM->setVolume(80); // the user turns the player's volume
    Peers::unloadFormMedia();      // an analysis / reset / double click unloads it
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f.close();
    EXPECT_EQ(ended, 1);
    Settings::reset();
    EXPECT_EQ(Settings::get("FormMediaVolumen"), "80");
    EXPECT_EQ(Settings::get("Volumen"), "80");
}

TEST_F(MainWindowEdges, ManyCopiesFoundScrollInTheStatusBox)
{
    stubPlayer();
    for (int i = 0; i < 150; ++i)
        ASSERT_TRUE(Fixtures::writeFile(dir.path() + QStringLiteral("/Copias/S%1/Kick.wav").arg(i), "x"));
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
}
TEST_F(MainWindowEdges, ProjectBalloonAfterADropTellsTheProject)
{
    stubPlayer();
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
TEST_F(MainWindowEdges, AStopDuringADecodeLoadsNoPlayer)
{
    Peers::hooks() = saved;
    App::setup();
    Form1::setEndProcess([this] { ++ended; });
    Settings::set("TotalCarpetasBusca", "1");
    Settings::set("Volumen", "20");
    Settings::set("FormMediaVolumen", "20");
    Form1 &f = form1();
    f.Form_Load({});
    f.Decoding = true;              // AbrirFichero_Click / a double click decoding
    Peers::unloadFormMedia();       // their start unloads the player
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Peers::stopPlayback();          // right button on a result list meanwhile
    f.Decoding = false;             // the run ends
    EXPECT_EQ(formMedia().WM->volume(), 20);
    formMedia().WM->setVolume(35);
    f.close();
    Settings::reset();
    EXPECT_EQ(Settings::get("Volumen"), "35");
}
} // namespace
