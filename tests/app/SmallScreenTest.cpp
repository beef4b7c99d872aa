#include "app/App.h"

#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/FolderListWindows.h"
#include "main/Form1.h"
#include "main/Perdidos.h"
#include "main/Peers.h"
#include "platform/Settings.h"
#include "player/FormMedia.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

// The windows as the program puts them together, on a 1024×768 screen
// (this executable's offscreen screen) whose windows have frames.
class SmallScreen : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        App::setup();
        answerDialogs();
    }

    // Each shown window whose frame leaves its screen's available area.
    static QStringList outside()
    {
        QStringList out;
        for (const QWidget *w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->windowType() == Qt::ToolTip || w->windowType() == Qt::Popup)
                continue;
            const QRect area = w->screen()->availableGeometry();
            if (!area.contains(w->frameGeometry()))
                out << QStringLiteral("%1 %2,%3 %4x%5")
                           .arg(w->objectName())
                           .arg(w->frameGeometry().x())
                           .arg(w->frameGeometry().y())
                           .arg(w->frameGeometry().width())
                           .arg(w->frameGeometry().height());
        }
        return out;
    }
};

} // namespace

TEST_F(SmallScreen, EveryWindowOpensInsideTheScreenAndTheMainWindowsListsShrinkToFit)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(1024, 768));
    // Positions stored on a larger screen: each window would stick out.
    for (const char *window : {"ParaBorrar", "Recuperar", "Player", "Perdidos", "UnidadesBuscar", "FormNoBorrar"}) {
        Settings::set(QString::fromLatin1(window) + "_Left", QString::number(900 * 15));
        Settings::set(QString::fromLatin1(window) + "_Top", QString::number(600 * 15));
    }
    Settings::set("Player automático", "1");
    // Long paths in the captions above the lists.
    const QString deep = "Grabaciones de la temporada/" + QString(90, u'x') + "/Sesión con un nombre largo";
    write(deep + "/Audio/a.wav", Fixtures::noise(64, 1));
    const QString tema = write(deep + "/Tema.vip", Fixtures::vipBytes({win(deep + "/Audio/a.wav"),
                                                                      win(deep + "/Audio/perdido.wav")}));

    Form1 &f = form1();
    f.Form_Load({});
    openProject(f, tema);
    f.CommandBorrado->click();
    f.RecuperaBorrados->trigger();
    f.cmdAsociados->click();
    f.cmdPerdidos->click();
    formNoBorrar().show();
    // Last: the restore window unloads the player when it opens.
    if (!formMedia().isVisible())
        f.cmdPlayer->click();
    QApplication::processEvents();

    EXPECT_TRUE(unidadesBuscar().isVisible());
    EXPECT_TRUE(formMedia().isVisible());
    EXPECT_TRUE(paraBorrar().isVisible());
    EXPECT_TRUE(recuperar().isVisible());
    EXPECT_TRUE(form2().isVisible());
    EXPECT_TRUE(perdidos().isVisible());
    EXPECT_EQ(outside(), QStringList{});
    EXPECT_LT(f.width(), 1180);
    EXPECT_LT(f.height(), 760);
    for (const QListWidget *l : {f.ListProyectos, f.ListVip, f.ListUtilizados, f.ListBorrar}) {
        EXPECT_GE(l->width(), 200) << l->objectName().toStdString();
        EXPECT_GE(l->height(), 80) << l->objectName().toStdString();
    }

    // A double click takes the main window to the screen's corner, frame and all.
    QTest::mouseDClick(f.centralWidget(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(f.frameGeometry().topLeft(), area.topLeft());
    EXPECT_EQ(outside(), QStringList{});
}
