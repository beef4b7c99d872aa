#include "tests/support/WindowTest.h"

#include "main/Form1.h"
#include "platform/Ask.h"
#include "platform/Settings.h"
#include "platform/ShellCopy.h"
#include "services/CuadroMensaje.h"
#include "services/Module2.h"
#include "services/Module3.h"
#include "services/SingleWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

namespace {

// Every shared variable of the windows at its start value, the settings
// store empty.
void resetShared()
{
    Module2::releaseCuadro();
    Module2::InfoArchivo.clear();
    Module2::TablaPerdidos.clear();
    Module2::EncontradoEnVarias = false;
    Module2::TextoCuadro.clear();
    Module2::RespuestaCuadro = -1;
    Module3::UltimaRutaNoBorrar = 0;
    Ask::setFunction({});
    ShellCopy::setRestoreWriteForTest(nullptr);
    Settings::reset();
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Velmar/Velmar.ini");
    Settings::reset();
}

} // namespace

void WindowTest::SetUp()
{
    LibraryTest::SetUp();
    resetShared();
    installPeers();
    Form1::setEndProcess([this] { ++ended; });
}

void WindowTest::TearDown()
{
    answerer.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SingleWindows::destroyAll();
    // Every run the test started has ended, early returns and nested runs
    // included: nothing is left holding a token.
    EXPECT_TRUE(Activity::arbiter().idle()) << "a run still counts as running";
    Peers::uninstall();
    Form1::setEndProcess({});
    resetShared();
    LibraryTest::TearDown();
}

void WindowTest::openProject(Form1 &f, const QString &hostPath)
{
    DialogAnswerer answer;
    answer.queuePath(hostPath);
    QTest::mouseClick(f.AbrirFichero, Qt::LeftButton);
}

void WindowTest::installPeers()
{
    Peers::install({*m_player, *m_deletion, *m_restore, *m_associated});
}

void WindowTest::use(Peers::PlayerWindow &w)
{
    m_player = &w;
    installPeers();
}

void WindowTest::use(Peers::DeletionWindow &w)
{
    m_deletion = &w;
    installPeers();
}

void WindowTest::use(Peers::RestoreWindow &w)
{
    m_restore = &w;
    installPeers();
}

void WindowTest::use(Peers::AssociatedFilesWindow &w)
{
    m_associated = &w;
    installPeers();
}
