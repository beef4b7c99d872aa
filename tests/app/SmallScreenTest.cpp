#include "app/App.h"

#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Acerca.h"
#include "main/FolderListWindows.h"
#include "main/Form1.h"
#include "main/Perdidos.h"
#include "main/Peers.h"
#include "platform/Settings.h"
#include "player/FormMedia.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

// The windows as the program puts them together, on this executable's
// offscreen screen, whose windows have frames: 1024×768, or 1920×1080 at
// scale 2 (960×540 for the windows).
class SmallScreen : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        App::setup();
        answerDialogs();
        area = QGuiApplication::primaryScreen()->availableGeometry();
        ASSERT_TRUE(area.size() == QSize(1024, 768) || area.size() == QSize(960, 540)) << area.size();
    }

    // The shown windows, the main window and its dialogs left out.
    static QList<QWidget *> smallWindows()
    {
        QList<QWidget *> out;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowType() != Qt::ToolTip && w->windowType() != Qt::Popup
                && w->objectName() != QStringLiteral("Form1"))
                out << w;
        return out;
    }

    // Each shown window whose frame leaves its screen's available area.
    static QStringList outside()
    {
        QList<QWidget *> windows = smallWindows();
        windows << &form1();
        QStringList out;
        for (const QWidget *w : windows)
            if (!w->screen()->availableGeometry().contains(w->frameGeometry()))
                out << QStringLiteral("%1 %2,%3 %4x%5")
                           .arg(w->objectName())
                           .arg(w->frameGeometry().x())
                           .arg(w->frameGeometry().y())
                           .arg(w->frameGeometry().width())
                           .arg(w->frameGeometry().height());
        return out;
    }

    // Each shown small window that covers the main window's commands.
    static QStringList overTheCommands()
    {
        const QWidget *commands = form1().findChild<QWidget *>(QStringLiteral("Comandos"));
        const QRect area(commands->mapToGlobal(QPoint()), commands->size());
        QStringList out;
        for (const QWidget *w : smallWindows())
            if (w->frameGeometry().intersects(area))
                out << QStringLiteral("%1 %2,%3 %4x%5 over %6,%7 %8x%9")
                           .arg(w->objectName())
                           .arg(w->frameGeometry().x())
                           .arg(w->frameGeometry().y())
                           .arg(w->frameGeometry().width())
                           .arg(w->frameGeometry().height())
                           .arg(area.x())
                           .arg(area.y())
                           .arg(area.width())
                           .arg(area.height());
        return out;
    }

    // Every window opened, as far as a user opens them, after an analysis
    // of a project with a long path, a used file and a missing one.
    Form1 &everyWindowOpen()
    {
        const QString deep = "Grabaciones de la temporada/" + QString(90, u'x') + "/Sesión con un nombre largo";
        write(deep + "/Audio/a.wav", Fixtures::noise(64, 1));
        write(deep + "/Audio/suelto.wav", Fixtures::noise(64, 2));
        const QString tema = write(deep + "/Tema.vip", Fixtures::vipBytes({win(deep + "/Audio/a.wav"),
                                                                          win(deep + "/Audio/perdido.wav")}));
        Form1 &f = form1();
        f.Form_Load({});
        openProject(f, tema);
        f.Alerta(2, QStringLiteral("Descodificando: ") + win(deep + "/Tema.vip"), true);
        f.CommandBorrado->click();
        f.RecuperaBorrados->trigger();
        f.cmdAsociados->click();
        f.cmdPerdidos->click();
        formNoBorrar().show();
        f.About->trigger();
        // Last: the restore window unloads the player when it opens.
        if (!formMedia().isVisible())
            f.cmdPlayer->click();
        settle();
        for (QWidget *w : std::initializer_list<QWidget *>{&unidadesBuscar(), &formMedia(), &paraBorrar(),
                                                          &recuperar(), &form2(), &perdidos(), &formNoBorrar(),
                                                          &acerca()})
            EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        return f;
    }

    // Until the layouts have passed every change up to the windows.
    static void settle()
    {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QApplication::processEvents();
        }
    }

    static bool onScreen(const QWidget *control)
    {
        return control->screen()->availableGeometry().contains(
            QRect(control->mapToGlobal(QPoint()), control->size()));
    }

    QRect area;
};

} // namespace

TEST_F(SmallScreen, AFreshProfileOpensEveryWindowInsideTheScreenAndOffTheMainWindowsCommands)
{
    Form1 &f = everyWindowOpen();
    EXPECT_EQ(outside(), QStringList{});
    EXPECT_EQ(overTheCommands(), QStringList{});
    EXPECT_TRUE(onScreen(f.Salir)) << "the main window's commands, its last one too";
    for (const QListWidget *l : {f.ListProyectos, f.ListVip, f.ListUtilizados, f.ListBorrar}) {
        EXPECT_GE(l->width(), area.height() > 600 ? 200 : 120) << l->objectName().toStdString();
        EXPECT_GE(l->height(), area.height() > 600 ? 80 : 48) << l->objectName().toStdString();
    }

    // Closed at the place it opened at, and opened again there (at its
    // design size, wider than it opened): still off the commands.
    paraBorrar().Salir->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(Settings::contains("ParaBorrar_Left"));
    f.CommandBorrado->click();
    settle();
    ASSERT_TRUE(paraBorrar().isVisible());
    EXPECT_EQ(outside(), QStringList{});
    EXPECT_EQ(overTheCommands(), QStringList{});

    // A long status report scrolls within the screen.
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many << QStringLiteral("Línea %1 de un informe largo").arg(i);
    f.Alerta(2, many.join("\r\n"), true);
    settle();
    EXPECT_EQ(outside(), QStringList{});
    EXPECT_TRUE(onScreen(f.Salir));
}

TEST_F(SmallScreen, PlacesStoredOnALargerScreenAreBroughtInsideThisOne)
{
    // Positions stored on a larger screen: each window would stick out.
    for (const char *window : {"ParaBorrar", "Recuperar", "Player", "Perdidos", "UnidadesBuscar", "FormNoBorrar"}) {
        Settings::set(QString::fromLatin1(window) + "_Left", QString::number(900 * 15));
        Settings::set(QString::fromLatin1(window) + "_Top", QString::number(600 * 15));
    }
    Settings::set("Player automático", "1");
    Form1 &f = everyWindowOpen();
    EXPECT_EQ(outside(), QStringList{});
    EXPECT_LT(f.width(), 1180);
    EXPECT_LT(f.height(), 760);

    // A double click takes the main window to the screen's corner, frame and all.
    QTest::mouseDClick(f.centralWidget(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(f.frameGeometry().topLeft(), area.topLeft());
    EXPECT_EQ(outside(), QStringList{});
}
