#include "main/Form1.h"
#include "main/FolderListWindows.h"
#include "main/FolderLists.h"
#include "main/Perdidos.h"

#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/WinFs.h"
#include "services/Class1.h"
#include "services/InfoTexts.h"
#include "services/Module2.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Fixtures.h"

#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class AuditionWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        FolderLists::storeSearchFolders({QString()});
    }
    static void pick(QListWidget *list, const QStringList &lines, int row)
    {
        Form1::setLines(list, lines);
        list->setCurrentRow(row);
    }
};

TEST_F(AuditionWindow, PresentWaveIsPlayedAndItsBalloonTellsSizeDateAndFormat)
{
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/P/Audio/Voz 1.wav", 2, 44100, 16, 0.25));
    Form1 &f = form1();
    f.show();
    pick(f.ListVip, {win("P/Audio/Voz 1.wav")}, 0);
    f.ListVip_Click();
    EXPECT_EQ(player.played, QStringList{win("P/Audio/Voz 1.wav")});
    EXPECT_EQ(f.Buscado, win("P/Audio/Voz 1.wav"));
    EXPECT_GE(player.stops, 1);
    EXPECT_EQ(f.TipVip->Title(), "Voz 1.wav");
    const QString text = f.TipVip->TipText();
    EXPECT_TRUE(text.startsWith(" Tamaño: ")) << text.toStdString();
    EXPECT_TRUE(text.contains(" Mb\r\n Fecha: "));
    EXPECT_TRUE(text.contains("\r\n" + QString(40, '-') + "\r\n Tipo: Wav"));
    EXPECT_TRUE(text.endsWith(" Bits: 16")) << text.toStdString();
    EXPECT_FALSE(f.ImageSound->isHidden());
    EXPECT_FALSE(f.ListPath->isHidden());
}

TEST_F(AuditionWindow, OtherAudioEmptyAndHugeFilesGiveTheirSizeLines)
{
    write("P/a.aif", Fixtures::noise(2048, 1));
    write("P/vacio.wav", QByteArray());
    const QString huge = write("P/enorme.WAV", QByteArray());
    QFile h(huge);
    ASSERT_TRUE(h.open(QIODevice::ReadWrite));
    ASSERT_TRUE(h.resize(3LL * 1024 * 1024 * 1024));
    h.close();
    Form1 &f = form1();
    f.show();

    pick(f.ListBorrar, {win("P/a.aif"), win("P/vacio.wav"), win("P/enorme.WAV")}, 0);
    f.ListBorrar_Click();
    EXPECT_TRUE(f.TipBorrar->TipText().endsWith(QString(40, '-') + "\r\nNo tiene información"));
    f.ListBorrar->setCurrentRow(1);
    f.ListBorrar_Click();
    EXPECT_TRUE(f.TipBorrar->TipText().startsWith(" Tamaño: 0 Kb\r\n Fecha: ")) << f.TipBorrar->TipText().toStdString();
    f.ListBorrar->setCurrentRow(2);
    f.ListBorrar_Click();
    EXPECT_TRUE(f.TipBorrar->TipText().startsWith(" Tamaño: 3072 Mb\r\n")) << f.TipBorrar->TipText().toStdString();
    EXPECT_EQ(player.played.size(), 3);
}

TEST_F(AuditionWindow, LinesThatAreNotAudioAreReported)
{
    write("P/nota.ogg", "x");
    Form1 &f = form1();
    f.show();
    pick(f.ListVip, {win("P/nota.ogg")}, 0);
    f.ListVip_Click();
    EXPECT_FALSE(f.TextDecode->isHidden());
    EXPECT_EQ(f.TextDecode->toPlainText(), " >>> AVISO <<<   Este archivo no es reproducible");
    EXPECT_EQ(f.TextDecode->property("alertaColor").toUInt(), 0x8080EEu);
    pick(f.ListUtilizados, {win("P/nota.ogg")}, 0);
    f.ListUtilizados_Click();
    EXPECT_EQ(f.TextDecode->property("alertaColor").toUInt(), 0xFFFFC0u);
    EXPECT_TRUE(player.played.isEmpty());
}

TEST_F(AuditionWindow, UsedListSeparatorsAndProjectHeaders)
{
    const QString vip = write("P/Song.VIP", Fixtures::vipBytes({win("P/a.wav")}));
    Form1 &f = form1();
    f.show();
    pick(f.ListUtilizados, {" ", "3 --> " + win("P/Song.VIP"), win("P/a.wav")}, 0);
    f.ListUtilizados->item(0)->setSelected(true);
    f.ListUtilizados_Click();
    EXPECT_FALSE(f.ListUtilizados->item(0)->isSelected());
    EXPECT_TRUE(player.played.isEmpty());

    f.ListUtilizados->setCurrentRow(1);
    const int before = player.stops;
    f.ListUtilizados_Click();
    EXPECT_FALSE(f.ImageIcon->isHidden());
    EXPECT_EQ(f.LabelAdd[1]->text(), "Song.VIP");
    EXPECT_EQ(f.TipUtilizados->BackColor(), 0xFFC0C0);
    EXPECT_TRUE(f.TipUtilizados->TipText().startsWith(" Tamaño: 0 Mb\r\n Fecha: "))
        << f.TipUtilizados->TipText().toStdString();
    EXPECT_FALSE(f.TipUtilizados->TipText().contains("---"));
    EXPECT_EQ(player.stops, before + 1);
}

TEST_F(AuditionWindow, BusyWindowAuditionsNothing)
{
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/P/a.wav", 1, 8000, 16, 0.1));
    Form1 &f = form1();
    f.show();
    pick(f.ListUtilizados, {win("P/a.wav")}, 0);
    f.ImageIcon->show();
    f.Decoding = true;
    f.ListUtilizados_Click();
    EXPECT_TRUE(f.ImageIcon->isHidden());
    pick(f.ListVip, {win("P/a.wav")}, 0);
    f.ListVip_Click();
    EXPECT_TRUE(player.played.isEmpty());
    f.Decoding = false;
}

TEST_F(AuditionWindow, MouseAndKeysOnTheLists)
{
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/P/a.wav", 1, 8000, 16, 0.1));
    Form1 &f = form1();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    pick(f.ListVip, {win("P/a.wav"), win("P/b.wav")}, -1);
    const QPoint at = f.ListVip->visualItemRect(f.ListVip->item(0)).center();
    QTest::mouseClick(f.ListVip->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(player.played, QStringList{win("P/a.wav")});
    const int before = player.stops;
    QTest::mouseClick(f.ListVip->viewport(), Qt::RightButton, {}, at);
    EXPECT_EQ(player.stops, before + 1);
    EXPECT_EQ(player.played.size(), 1);

    f.ListVip->selectAll();
    QTest::keyClick(f.ListVip, Qt::Key_Insert);
    EXPECT_EQ(player.copied, QStringList{"Lista 1"});
    EXPECT_TRUE(f.ListVip->selectedItems().isEmpty());

    pick(f.ListUtilizados, {win("P/a.wav"), win("P/b.wav")}, 0);
    f.ListUtilizados->item(0)->setSelected(true);
    QTest::keyClick(f.ListUtilizados, Qt::Key_Insert);
    EXPECT_EQ(player.copied.size(), 1); // one line selected: nothing copied
    f.ListUtilizados->selectAll();
    QTest::keyClick(f.ListUtilizados, Qt::Key_Insert);
    EXPECT_EQ(player.copied.last(), "Lista 2");
    pick(f.ListBorrar, {win("P/a.wav")}, 0);
    QTest::keyClick(f.ListBorrar, Qt::Key_Insert);
    EXPECT_EQ(player.copied.last(), "Lista 4");
}

TEST_F(AuditionWindow, MissingFileIsLookedForInTheSearchFolders)
{
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/Copias/Viejo/Voz.wav", 1, 8000, 16, 0.1));
    Form1 &f = form1();
    f.show();

    // No folder to look in.
    pick(f.ListUtilizados, {win("P/Audio/Voz.wav")}, 0);
    f.ListUtilizados_Click();
    EXPECT_EQ(f.TextDecode->toPlainText(), "AVISO \nNO HAY NIGUNA CARPETA \nSeleccionada para buscar este archivo");
    EXPECT_TRUE(player.played.isEmpty());
    // (The status box shows each CR LF as one line end.)

    // A drive root as search folder: no doubled "\" in the path found.
    FolderLists::storeSearchFolders({QString(), "D:\\"});
    f.ListUtilizados_Click();
    EXPECT_EQ(f.Buscado, win("Copias/Viejo/Voz.wav"));
    EXPECT_EQ(player.played, QStringList{win("Copias/Viejo/Voz.wav")});
    EXPECT_TRUE(f.TextDecode->toPlainText().startsWith("El archivo: " + win("P/Audio/Voz.wav")
                                                       + "\nHa sido encontrado en: \n"));
    EXPECT_TRUE(f.TipGeneral->TipText().endsWith("Está desubicado, su ruta original es: D:\\P\\Audio"))
        << f.TipGeneral->TipText().toStdString();
    EXPECT_TRUE(f.cmdCancelar->isHidden());
    EXPECT_FALSE(f.analysisRunning());

    // Two copies: the first is played, both are listed.
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/Copias/Voz.wav", 1, 8000, 16, 0.1));
    FolderLists::storeSearchFolders({QString(), win("Copias")});
    f.ListUtilizados_Click();
    EXPECT_TRUE(f.TextDecode->toPlainText().contains("Ha sido encontrado en 2 carpetas")) << f.TextDecode->toPlainText().toStdString();
    EXPECT_EQ(f.Buscado, win("Copias/Voz.wav"));

    // Nowhere.
    pick(f.ListVip, {win("P/Audio/Nada.wav")}, 0);
    f.ListVip_Click();
    EXPECT_EQ(f.TextDecode->toPlainText(), "El archivo: \nNada.wav\nNo existe en ninguna carpeta");

    // A reset takes the misplaced file's balloon away with the lists.
    ASSERT_NE(f.TipGeneral->tipWindow(), nullptr);
    f.cmdReset_Click();
    EXPECT_EQ(f.TipGeneral->tipWindow(), nullptr);
}

TEST_F(AuditionWindow, AutomaticPlayerShowsOrHidesThePlayerOnlyWhenTicked)
{
    ASSERT_TRUE(Fixtures::writeWav(dir.path() + "/P/a.wav", 1, 8000, 16, 0.1));
    write("P/b.ogg", "x");
    Settings::set("Player_Left", "1500");
    Settings::set("Player_Top", "750");
    Form1 &f = form1();
    f.show();
    pick(f.ListVip, {win("P/a.wav"), win("P/b.ogg")}, 0);
    f.ListVip_Click();
    EXPECT_TRUE(player.shown.isEmpty());
    EXPECT_EQ(player.placed, 0);
    f.CheckPlayer->setChecked(true);
    f.ListVip_Click();
    EXPECT_EQ(player.shown, QList<bool>{true});
    EXPECT_EQ(player.placed, 1) << "to its stored place";
    f.ListVip->setCurrentRow(1);
    f.ListVip_Click();
    EXPECT_EQ(player.shown, (QList<bool>{true, false}));
}

TEST_F(AuditionWindow, EmptyCopyFoundElsewhereShowsItsOwnDate)
{
    const QString copy = write("Copias/Voz.wav", QByteArray());
    const QDateTime when(QDate(2001, 2, 3), QTime(10, 11, 12));
    QFile f(copy);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    f.close();
    FolderLists::storeSearchFolders({QString(), win("Copias")});
    Form1 &w = form1();
    w.show();
    pick(w.ListVip, {win("P/Audio/Voz.wav")}, 0);
    w.ListVip_Click();
    EXPECT_EQ(w.Buscado, win("Copias/Voz.wav"));
    EXPECT_TRUE(w.TipVip->TipText().startsWith(" Tamaño: 0 Kb\r\n Fecha: " + InfoTexts::dateText(when) + "\r\n"))
        << w.TipVip->TipText().toStdString();
}

} // namespace
