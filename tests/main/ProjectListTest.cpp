#include "main/Form1.h"

#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

namespace {

class ProjectListWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        write("P/A.vip", Fixtures::vipBytes({"D:\\P\\a1.wav"}));
        write("P/B.vip", Fixtures::vipBytes({"D:\\P\\b1.wav", "D:\\P\\b2.wav"}));
        Fixtures::VipOptions midi;
        midi.marker = false;
        write("P/M.vip", Fixtures::vipBytes({"D:\\P\\m.wav"}, midi));
        Form1 &f = form1();
        Form1::setLines(f.ListProyectos, {"1 --> D:\\P\\A.vip", "2 --> D:\\P\\B.vip", "3 --> D:\\P\\M.vip"});
        f.DirVip = "D:\\P\\";
    }
};

} // namespace

TEST_F(ProjectListWindow, DoubleClickDecodesTheChosenProject)
{
    Form1 &f = form1();
    f.ListProyectos->setCurrentRow(1);
    f.ListProyectos_DblClick();
    EXPECT_EQ(Form1::lines(f.ListVip), (QStringList{"D:\\P\\b1.wav", "D:\\P\\b2.wav"}));
    EXPECT_EQ(f.LabelCount[0]->text(), "2 Archivos utilizados en: D:\\P\\B.vip");
    EXPECT_EQ(f.LabelCount[1]->text(), "B.vip");
    EXPECT_EQ(f.B_listProyectos, "D:\\P\\B.vip");
    EXPECT_EQ(f.LabelCheck[0]->text(), "Encontrados 3 proyectos en:");
    EXPECT_FALSE(f.Decoding);

    f.ListProyectos->setCurrentRow(2);
    f.ListProyectos_DblClick();
    EXPECT_EQ(f.LabelCount[0]->text(), "No hay archivos, es un Vip MIDI.");
    EXPECT_TRUE(f.ListVip->count() == 0);
}

TEST_F(ProjectListWindow, NothingHappensWhileBusyOrWithNothingChosen)
{
    Form1 &f = form1();
    f.ListProyectos->setCurrentRow(-1);
    f.ListProyectos_DblClick();
    EXPECT_EQ(f.ListVip->count(), 0);
    f.ListProyectos->setCurrentRow(0);
    f.Decoding = true;
    f.ListProyectos_DblClick();
    EXPECT_EQ(f.ListVip->count(), 0);
    f.Decoding = false;
}

TEST_F(ProjectListWindow, LeftoverCancelDoesNotEmptyTheNextDecode)
{
    Form1 &f = form1();
    f.cancelar = true; // the user cancelled an earlier run
    f.ListProyectos->setCurrentRow(0);
    f.ListProyectos_DblClick();
    EXPECT_EQ(Form1::lines(f.ListVip), QStringList{"D:\\P\\a1.wav"});
}

TEST_F(ProjectListWindow, InfoPanelTextAndClickHidesIt)
{
    const QString t = Form1::infoPanelText();
    EXPECT_TRUE(t.startsWith(" Se puede arrastrar (Drag&Drop) a esta lista uno o varios archivos Vip\r\n"));
    EXPECT_TRUE(t.contains(" Si tiene archivos Vip se cargarán todos.         \r\n" + QString(53, ' ') + "\r\n"));
    EXPECT_TRUE(t.endsWith(QString(14, ' ') + "Una vez leido...  hacer clic aquí\r\n"));
    Form1 &f = form1();
    f.ListProyectosInfo->show();
    f.ListProyectosInfo_Click();
    EXPECT_TRUE(f.ListProyectosInfo->isHidden());
}
