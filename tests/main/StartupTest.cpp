#include "main/FolderListWindows.h"
#include "main/Form1.h"
#include "main/Perdidos.h"

#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/WinFs.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"

#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

class StartupWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        answerDialogs();
    }
    void project(const QString &rel)
    {
        write("P/Audio/a.wav", Fixtures::noise(64, 1));
        write(rel, Fixtures::vipBytes({"D:\\P\\Audio\\a.wav"}));
    }
};

TEST_F(StartupWindow, FirstRunShowsDesignValuesAndTheConfigurationNotice)
{
    Form1 &f = form1();
    f.Form_Load({});
    EXPECT_TRUE(f.CheckToolTips->isChecked());
    EXPECT_FALSE(f.CheckPlayer->isChecked());
    EXPECT_FALSE(f.CheckBAK->isChecked());
    EXPECT_TRUE(f.CheckDragDrop->isChecked());
    EXPECT_TRUE(f.CheckLogo->isChecked());
    EXPECT_FALSE(f.ListProyectosInfo->isHidden());
    EXPECT_FALSE(f.ShowIco->isHidden());
    EXPECT_EQ(f.HScroll1->value(), 100);
    EXPECT_EQ(f.Label1->text(), "Transparencia 0");
    EXPECT_DOUBLE_EQ(f.windowOpacity(), 1.0);
    EXPECT_EQ(player.volumeValue, -1) << "no stored volume: the player keeps its own";
    EXPECT_TRUE(f.ListVip->toolTip().endsWith("al Player "));
    EXPECT_TRUE(f.ListBorrar->toolTip().endsWith("al Player"));
    ASSERT_EQ(asked().size(), 1);
    EXPECT_EQ(asked()[0], "Configuración | No hay ninguna carpeta de disco seleccionada para la búsqueda de archivos."
                        "\r\n\r\nEsto hace que al clicar un item de audio de las listas\r\nel programa no pueda buscar "
                        "audios desubicados.");
    EXPECT_TRUE(unidadesBuscarLoaded() && unidadesBuscar().isVisible());
    EXPECT_TRUE(f.windowTitle().endsWith("v" VELMAR_VERSION ".0")) << f.windowTitle().toStdString();
    EXPECT_TRUE(f.windowTitle().contains("Velmar"));
    EXPECT_FALSE(f.SalvaListados->isVisible());
    // The pictures carry a picture.
    for (const QLabel *l : {f.ShowIco, f.ImageIcon, f.ImageSound})
        EXPECT_FALSE(l->pixmap().isNull()) << l->objectName().toStdString();
    EXPECT_FALSE(f.cmdPlayer->icon().isNull());
}

TEST_F(StartupWindow, StoredOptionsAreRestoredAndBadValuesGiveTheDefaults)
{
    Settings::set("Ver tooltips de listas", "0");
    Settings::set("Player automático", "1");
    Settings::set("Incluir Vip_BAK", "1");
    Settings::set("Ver Info al inicio", "0");
    Settings::set("Ver Logo al inicio", "7"); // not 0 or 1: the design value
    Settings::set("HScroll1", "60");
    Settings::set("Volumen", "35");
    Settings::set("TotalCarpetasBusca", "1");
    Settings::sync();
    Form1 &f = form1();
    f.Form_Load({});
    EXPECT_FALSE(f.CheckToolTips->isChecked());
    EXPECT_TRUE(f.ListVip->toolTip().isEmpty());
    EXPECT_TRUE(f.CheckPlayer->isChecked());
    EXPECT_TRUE(f.CheckBAK->isChecked());
    EXPECT_FALSE(f.CheckDragDrop->isChecked());
    EXPECT_TRUE(f.ListProyectosInfo->isHidden());
    EXPECT_TRUE(f.CheckLogo->isChecked());
    EXPECT_EQ(f.Label1->text(), "Transparencia 40");
    EXPECT_NEAR(f.windowOpacity(), 153 / 255.0, 0.002);
    EXPECT_EQ(player.volumeValue, 35);
    EXPECT_TRUE(asked().isEmpty());
    unloadForm1();

    for (const char *bad : {"abc", "250", "-3", ""}) {
        Settings::set("HScroll1", bad);
        Form1 &g = form1();
        g.Form_Load({});
        EXPECT_EQ(g.HScroll1->value(), 100) << bad;
        EXPECT_DOUBLE_EQ(g.windowOpacity(), 1.0) << bad;
        unloadForm1();
    }
}

// A path given on the command line: the one message it gets (a question
// answered with `button`, or why it cannot be analysed), then what is
// analysed. "%1" stands for the library's host folder.
struct CommandLineCase
{
    const char *name;
    const char *argument;
    int button;
    const char *message;
    QStringList projects;
    bool versionTitle; // the window takes its title with the version
};

// Names the row in test lists and failures.
void PrintTo(const CommandLineCase &c, std::ostream *os)
{
    *os << c.name;
}

const CommandLineCase kCommandLineCases[] = {
    {"FolderConfirmedThenCancelled", "\"%1/P\"", 1, "Descodificar Vip | Descodificar la carpeta...D:\\P", {}, true},
    {"ProjectConfirmedThenAnalysed", "%1/P/Tema.vip", 0, "Descodificar Vip | Descodificar el proyecto...D:\\P\\Tema.vip",
     {"1 --> D:\\P\\Tema.vip"}, true},
    {"BackupProjectRefused", "%1/P_BAK/Tema.vip", -1, "Proyectos Vip's | Este es un proyecto BAK y no se procesará", {},
     false},
    {"MissingPathExplained", "%1/nada", -1, "Descodificar Vip | No se encuentra la ruta:\r\nD:\\nada", {}, true},
    {"PathOnNoDriveExplained", "Q:\\Proyectos", -1,
     "Descodificar Vip | La ruta no está en ninguna unidad disponible:\r\nQ:\\Proyectos", {}, true},
    {"NeitherProjectNorFolderExplained", "%1/P/nota.txt", -1,
     "Descodificar Vip | No es un proyecto Vip ni una carpeta:\r\nD:\\P\\nota.txt", {}, true},
};

class StartupCommandLine : public StartupWindow, public ::testing::WithParamInterface<CommandLineCase>
{
};

TEST_P(StartupCommandLine, IsConfirmedBeforeItIsAnalysedOrExplained)
{
    const CommandLineCase &c = GetParam();
    Settings::set("TotalCarpetasBusca", "1");
    project("P/Tema.vip");
    project("P_BAK/Tema.vip");
    write("P/nota.txt", "x");
    if (c.button >= 0)
        answerer->queueButton(c.button);
    Form1 &f = form1();
    const QString designTitle = f.windowTitle();
    f.Form_Load({QString::fromUtf8(c.argument).replace(QStringLiteral("%1"), dir.path())});
    EXPECT_EQ(asked(), QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(Form1::lines(f.ListProyectos), c.projects);
    EXPECT_FALSE(f.Decoding);
    if (c.versionTitle)
        EXPECT_TRUE(f.windowTitle().endsWith("v" VELMAR_VERSION ".0")) << f.windowTitle().toStdString();
    else
        EXPECT_EQ(f.windowTitle(), designTitle);
}

INSTANTIATE_TEST_SUITE_P(Paths, StartupCommandLine, ::testing::ValuesIn(kCommandLineCases));

TEST_F(StartupWindow, ShutDownStoresEveryKeyThenEndsAtOnce)
{
    player.stateValue = Peers::PlayerState{42, 1, 1500, 3000};
    Settings::set("TotalCarpetasBusca", "1");
    Form1 &f = form1();
    f.Form_Load({});
    f.CheckBAK->setChecked(true);
    f.CheckDragDrop->setChecked(false);
    f.HScroll1->setValue(70);
    f.move(30, 45);
    f.close();
    EXPECT_EQ(ended, 1);
    Settings::reset();
    EXPECT_EQ(Settings::get("Incluir Vip_BAK"), "1");
    EXPECT_EQ(Settings::get("Ver Info al inicio"), "0");
    EXPECT_EQ(Settings::get("Ver tooltips de listas"), "1");
    EXPECT_EQ(Settings::get("Player automático"), "0");
    EXPECT_EQ(Settings::get("Ver Logo al inicio"), "1");
    EXPECT_EQ(Settings::get("HScroll1"), "70");
    EXPECT_EQ(Settings::get("Volumen"), "42");
    EXPECT_EQ(Settings::get("FormMediaToolTip"), "1");
    EXPECT_EQ(Settings::get("Player_Left"), "1500");
    EXPECT_EQ(Settings::get("Player_Top"), "3000");
    EXPECT_TRUE(Settings::contains("Form1_Left"));
    EXPECT_TRUE(Settings::contains("Form1_Top"));
}

TEST_F(StartupWindow, ShutDownWithoutALoadedPlayerKeepsItsStoredSettings)
{
    Settings::set("TotalCarpetasBusca", "1");
    Settings::set("Volumen", "55");
    Settings::set("Player_Left", "600");
    Form1 &f = form1();
    f.Form_Load({});
    f.GuardarYSalir();
    Settings::reset();
    EXPECT_EQ(Settings::get("Volumen"), "55");
    EXPECT_EQ(Settings::get("Player_Left"), "600");
}

TEST_F(StartupWindow, SettingsThatCannotBeSavedAreReportedAtShutDown)
{
    Settings::set("TotalCarpetasBusca", "1");
    Form1 &f = form1();
    f.Form_Load({});
    // The store's file is a folder now: it cannot be written.
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Velmar/Velmar.ini";
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));
    answerDialogs();
    f.GuardarYSalir();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(asked(), QStringList{"Ajustes | No se han podido guardar los ajustes del programa."});
    QDir(file).removeRecursively();
}

TEST_F(StartupWindow, KeysAndCommandsRespectTheBusyFlags)
{
    Settings::set("TotalCarpetasBusca", "1");
    Form1 &f = form1();
    f.Form_Load({});
    QTest::keyClick(&f, Qt::Key_Space);
    EXPECT_EQ(player.stops, 1);
    QTest::keyClick(&f, Qt::Key_A);
    EXPECT_EQ(player.stops, 1);

    player.volumeValue = 33;
    f.Decoding = true;
    f.cmdPlayer_Click();
    EXPECT_EQ(player.toggles, 0);
    EXPECT_FALSE(Settings::contains("Volumen"));
    f.Decoding = false;
    f.cmdPlayer_Click();
    EXPECT_EQ(player.toggles, 1);
    EXPECT_EQ(Settings::get("Volumen"), "33");

    // The logo follows its box only while every list is empty.
    f.ListBorrar->addItem("D:\\x.wav");
    const bool before = f.ShowIco->isHidden();
    f.CheckLogo->click();
    EXPECT_EQ(f.ShowIco->isHidden(), before);
    f.ListBorrar->clear();
    f.CheckLogo->click();
    EXPECT_EQ(f.ShowIco->isHidden(), !f.CheckLogo->isChecked());
}

} // namespace
