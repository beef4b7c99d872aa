#include "app/App.h"

#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Form1.h"
#include "main/Peers.h"
#include "platform/Ask.h"
#include "platform/MediaPlayer.h"
#include "platform/Settings.h"
#include "player/FormMedia.h"
#include "services/CuadroMensaje.h"
#include "services/Dialogo.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>

namespace {

// The windows put together as the program puts them.
class Application : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        App::setup();
    }
};

TEST_F(Application, EveryWindowAboveTheMainWindowIsTheRealOne)
{
    EXPECT_EQ(&Peers::player(), &formMediaPeer());
    EXPECT_EQ(&Peers::deletion(), &paraBorrarPeer());
    EXPECT_EQ(&Peers::restore(), &recuperarPeer());
    EXPECT_EQ(&Peers::associated(), &form2Peer());
}

TEST_F(Application, TheFileOperationsAskThroughTheMessageDialog)
{
    {
        DialogAnswerer answerer;
        answerer.queueButton(0);
        EXPECT_EQ(Ask::question("Copiar archivo", "¿Reemplazar?", {"Sí", "No"}), 0);
        EXPECT_EQ(answerer.messages(), QStringList{"Copiar archivo | ¿Reemplazar?"});
    }
    bool ours = false;
    whenModal([&](QDialog *d) {
        ours = qobject_cast<CuadroMensaje *>(d) != nullptr;
        d->close();
    });
    EXPECT_FALSE(Ask::yes("Eliminar archivo", "¿Enviar a la papelera?")) << "closed: the last (cautious) button";
    EXPECT_TRUE(ours);
    whenModal([](QDialog *d) { d->findChild<QPushButton *>("Boton1")->click(); });
    EXPECT_EQ(Ask::question("t", "x", {"Reemplazar", "Añadir", "Cancelar"}), 1);
}

TEST_F(Application, QtsOwnDialogsSpeakSpanishAndShowTheFilterAsWritten)
{
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancelar");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), "Aceptar");
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
    QString filter;
    whenModal([&](QDialog *d) {
        auto *fd = qobject_cast<QFileDialog *>(d);
        if (fd)
            filter = fd->selectedNameFilter();
        d->reject();
    });
    Dialogo::AbrirArchivo(nullptr, "Proyectos (*.vip)|*.vip", "Selecciona un archivo VIP", QString());
    EXPECT_EQ(filter, "Proyectos (*.vip)");
}

TEST_F(Application, PlayerVolumeSurvivesAnUnloadBeforeShutDown)
{
    Settings::set("TotalCarpetasBusca", "1");
    Settings::set("Volumen", "30");
    Form1 &f = form1();
    f.Form_Load({});
    EXPECT_EQ(formMedia().WM->volume(), 30);
    formMedia().WM->setVolume(80);     // the user turns the player's volume
    Peers::player().unloadFormMedia(); // an analysis / reset / double click unloads it
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f.close();
    EXPECT_EQ(ended, 1);
    Settings::reset();
    EXPECT_EQ(Settings::get("FormMediaVolumen"), "80");
    EXPECT_EQ(Settings::get("Volumen"), "80");
}

TEST_F(Application, TheFirstAuditionOfAFreshProfileIsHeard)
{
    Settings::set("TotalCarpetasBusca", "1");
    Form1 &f = form1();
    f.Form_Load({});
    EXPECT_EQ(formMedia().WM->volume(), 50);
    f.close();
    Settings::reset();
    EXPECT_EQ(Settings::get("Volumen"), "50");
}

TEST_F(Application, AStopDuringADecodeLoadsNoPlayer)
{
    Settings::set("TotalCarpetasBusca", "1");
    Settings::set("Volumen", "20");
    Settings::set("FormMediaVolumen", "20");
    Form1 &f = form1();
    f.Form_Load({});
    f.Decoding = true;                 // AbrirFichero_Click / a double click decoding
    Peers::player().unloadFormMedia(); // their start unloads the player
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Peers::player().stop();            // right button on a result list meanwhile
    f.Decoding = false;                // the run ends
    EXPECT_EQ(formMedia().WM->volume(), 20);
    formMedia().WM->setVolume(35);
    f.close();
    Settings::reset();
    EXPECT_EQ(Settings::get("Volumen"), "35");
}

TEST_F(Application, CloseDuringAnAnalysisKeepsThePlayersSettings)
{
    Settings::set("TotalCarpetasBusca", "1");
    Settings::set("FormMediaVolumen", "37");
    Settings::set("Volumen", "44");
    Settings::set("Player_Left", "900");
    Form1 &f = form1();
    f.Form_Load({});
    // An analysis unloads the player and touches it again while it runs.
    f.Decoding = true;
    Peers::player().unloadFormMedia();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Peers::player().stopAndClear();
    f.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ended, 1);
    Settings::reset();
    EXPECT_EQ(Settings::get("FormMediaVolumen"), "44");
    EXPECT_EQ(Settings::get("Volumen"), "44");
    EXPECT_EQ(Settings::get("Player_Left"), "900");
    f.Decoding = false;
}

// The real end, in a process of its own: every other test replaces it.
TEST_F(Application, ShutDownEndsTheProcessAtOnce)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMAR_SHUTDOWN_CHILD"), dir.path());
    // The child stores into this test's settings; its own temporary folders
    // (never removed, as it ends without clean-up) go under this test's.
    env.insert(QStringLiteral("VELMAR_KEEP_XDG"), QStringLiteral("1"));
    env.insert(QStringLiteral("TMPDIR"), dir.path());
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ApplicationChild.ShutDownInAChildProcess")});
    ASSERT_TRUE(child.waitForFinished(60000)) << child.errorString().toStdString();
    const QString out = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("ShutDownInAChildProcess"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("[  PASSED  ]"))) << out.toStdString();
    // A check that failed in the child without stopping it is still a failure.
    EXPECT_FALSE(out.contains(QStringLiteral("Failure"))) << out.toStdString();
    EXPECT_FALSE(QFile::exists(dir.path() + "/siguio"));
    Settings::reset();
    EXPECT_EQ(Settings::get("HScroll1"), "63");
    EXPECT_FALSE(Settings::contains("HScroll5")) << "the deletion window stored its settings afterwards";
}

} // namespace

// The child of Application.ShutDownEndsTheProcessAtOnce, which runs it in a
// process of its own; skipped in a normal run. No fixture: a clean-up after
// it would hide what a process that went on did.
TEST(ApplicationChild, ShutDownInAChildProcess)
{
    const QString folder = qEnvironmentVariable("VELMAR_SHUTDOWN_CHILD");
    if (folder.isEmpty())
        GTEST_SKIP() << "only run by Application.ShutDownEndsTheProcessAtOnce, in a process of its own";
    App::setup();
    Settings::set("TotalCarpetasBusca", "1");
    App::start({});
    Form1 &f = form1();
    f.HScroll1->setValue(63);
    Peers::deletion().toggleVisible();
    paraBorrar().HScroll5->setValue(77);
    // What the parent reads afterwards can only come from the shut-down: the
    // main window holds the value the shut-down stores, the deletion window
    // is open with a value its close handler would store, and neither value
    // is stored yet. (A failure here ends the test, and the child, with a
    // failing exit code the parent sees.)
    ASSERT_EQ(f.HScroll1->value(), 63);
    ASSERT_TRUE(paraBorrarLoaded());
    ASSERT_TRUE(paraBorrar().isVisible());
    ASSERT_EQ(paraBorrar().HScroll5->value(), 77);
    ASSERT_FALSE(Settings::contains("HScroll1"));
    ASSERT_FALSE(Settings::contains("HScroll5"));
    f.GuardarYSalir();
    // Only a process that went on gets here: the deletion window's close
    // handler would store its settings after the shut-down's.
    QApplication::closeAllWindows();
    Fixtures::writeFile(folder + "/siguio", "1");
    ADD_FAILURE() << "the shut-down returned and the process went on";
}
