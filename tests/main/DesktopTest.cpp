#include "main/FolderListWindows.h"
#include "main/Form1.h"
#include "main/Perdidos.h"
#include "platform/Settings.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

// The main window and its small windows as a user meets them on a desktop:
// where things stand, what the mouse and the keys do.
class OnTheDesktop : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Settings::set("TotalCarpetasBusca", "1"); // no first-run notice
    }

    Form1 &loaded()
    {
        Form1 &f = form1();
        f.Form_Load({});
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }

    // A project with a used file and a missing one, and an unused file.
    QString project()
    {
        write("Audio/a.wav", Fixtures::noise(64, 1));
        write("Audio/suelto.wav", Fixtures::noise(64, 2));
        return write("Audio/Tema.vip", Fixtures::vipBytes({win("Audio/a.wav"), win("Audio/perdido.wav")}));
    }

    static void moveOver(QWidget *w, QPoint at = QPoint(3, 3))
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
    }

    // Where each command of the main window stands.
    static QList<QRect> commandPlaces(const Form1 &f)
    {
        QList<QRect> out;
        for (const QWidget *w : std::initializer_list<const QWidget *>{
                 f.AbrirFichero, f.cmdReset, f.cmdAsociados, f.cmdPlayer, f.CheckToolTips, f.CheckPlayer, f.CheckBAK,
                 f.CheckDragDrop, f.CheckLogo, f.Label1, f.HScroll1, f.Salir, f.CommandBorrado, f.cmdPerdidos})
            out << QRect(w->mapTo(&f, QPoint()), w->size());
        return out;
    }

    static QRect framed(const Form1 &f, const QListWidget *list)
    {
        return QRect(list->mapTo(f.Shape1->parentWidget(), QPoint()), list->size()).adjusted(-3, -3, 3, 3);
    }
};

} // namespace

TEST_F(OnTheDesktop, AHiddenControlLeavesItsPlaceAndTheFrameFollowsItsList)
{
    Form1 &f = loaded();
    const QList<QRect> atStart = commandPlaces(f);
    ASSERT_FALSE(f.ShowIco->isHidden());
    ASSERT_TRUE(f.CommandBorrado->isHidden());

    // A run shows the deletion and missing-files commands and hides the
    // logo; a reset hides them again; the logo's box hides it too.
    openProject(f, project());
    ASSERT_FALSE(f.CommandBorrado->isHidden());
    ASSERT_FALSE(f.cmdPerdidos->isHidden());
    ASSERT_TRUE(f.ShowIco->isHidden());
    EXPECT_EQ(commandPlaces(f), atStart) << "after an analysis";
    const QList<QRect> lists{f.ListVip->geometry(), f.ListBorrar->geometry()};
    f.Shape1->hide();
    moveOver(f.ListVip->viewport(), QPoint(5, 5));
    EXPECT_EQ((QList<QRect>{f.ListVip->geometry(), f.ListBorrar->geometry()}), lists)
        << "the line number under the mouse takes no room of the lists";
    f.cmdReset_Click();
    QApplication::processEvents();
    EXPECT_EQ(commandPlaces(f), atStart) << "after a reset";
    f.CheckLogo->click();
    QApplication::processEvents();
    ASSERT_TRUE(f.ShowIco->isHidden());
    EXPECT_EQ(commandPlaces(f), atStart) << "without the logo";

    // The status box and the path line take room from the lists: the frame
    // stays around the list it frames.
    Form1::setLines(f.ListBorrar, {win("Audio/suelto.wav")});
    moveOver(f.ListBorrar->viewport(), QPoint(5, 5));
    ASSERT_FALSE(f.Shape1->isHidden());
    const QRect before = f.ListBorrar->geometry();
    f.Alerta(2, QStringLiteral("Una línea\r\notra\r\ny otra más"), true);
    f.MostrarRuta(win("Audio/suelto.wav"));
    QApplication::processEvents();
    ASSERT_NE(f.ListBorrar->geometry(), before);
    EXPECT_EQ(f.Shape1->geometry(), framed(f, f.ListBorrar));
    f.TextDecode->hide();
    QApplication::processEvents();
    EXPECT_EQ(f.Shape1->geometry(), framed(f, f.ListBorrar));
}

TEST_F(OnTheDesktop, TheMouseOverTheFormTheNumbersTheLogoAndTheInfoPanelBringsTheWindowToTheFront)
{
    Form1 &f = loaded();
    ASSERT_FALSE(f.ListProyectosInfo->isHidden());
    QWidget other;
    other.resize(200, 100);
    other.show();
    QList<QWidget *> targets{f.centralWidget(), f.findChild<QWidget *>("Comandos"), f.ShowIco,
                             f.ListProyectosInfo->viewport()};
    for (QLineEdit *t : f.TextNum1)
        targets << t;
    for (QWidget *target : targets) {
        SCOPED_TRACE(target->objectName().toStdString());
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        moveOver(target); // no button held
        EXPECT_TRUE(QTest::qWaitFor([&] { return f.isActiveWindow(); }, 2000));
    }
}

TEST_F(OnTheDesktop, TheFolderWindowsAddThroughTheFixedTitleFolderDialogAtTheProjectShown)
{
    Form1 &f = loaded();
    openProject(f, project());
    ASSERT_GT(f.ListProyectos->count(), 0);
    for (FolderListWindow *w : {static_cast<FolderListWindow *>(&unidadesBuscar()),
                                static_cast<FolderListWindow *>(&formNoBorrar())}) {
        SCOPED_TRACE(w->objectName().toStdString());
        w->list()->clear();
        QString title, start;
        bool readOnly = false;
        whenModal([&](QDialog *d) {
            auto *fd = static_cast<QFileDialog *>(d);
            title = fd->windowTitle();
            readOnly = fd->testOption(QFileDialog::ReadOnly);
            start = QDir::cleanPath(fd->directory().absolutePath());
            // A folder named as the program names it.
            fd->findChild<QLineEdit *>("fileNameEdit")->setText(win("Audio"));
            QTest::keyClick(fd->findChild<QLineEdit *>("fileNameEdit"), Qt::Key_Return);
            QMetaObject::invokeMethod(fd, "accept", Qt::QueuedConnection);
        });
        w->ElegirCArpeta->click();
        EXPECT_EQ(title, "Selecciona una carpeta para salvar los datos compilados");
        EXPECT_TRUE(readOnly) << "no new-folder button";
        EXPECT_EQ(start, QDir::cleanPath(host("Audio"))) << "the folder of the project shown";
        EXPECT_EQ(Form1::lines(w->list()), QStringList{win("Audio")});
    }
}

TEST_F(OnTheDesktop, EscapeClosesTheMissingFilesAndFolderWindowsAsTheirSalirDoes)
{
    Form1 &f = loaded();
    openProject(f, project());
    f.cmdPerdidos->click();
    ASSERT_TRUE(perdidos().isVisible());
    formNoBorrar().show();
    unidadesBuscar().show();
    const struct
    {
        QWidget *window;
        std::function<bool()> loaded;
        const char *placeKey;
    } windows[] = {
        {&perdidos(), perdidosLoaded, "Perdidos_Left"},
        {&formNoBorrar(), formNoBorrarLoaded, "FormNoBorrar_Left"},
        {&unidadesBuscar(), unidadesBuscarLoaded, "UnidadesBuscar_Left"},
    };
    for (const auto &w : windows) {
        SCOPED_TRACE(w.placeKey);
        Settings::remove(QString::fromLatin1(w.placeKey));
        w.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.window));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.window, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(w.loaded()) << "closed";
        EXPECT_TRUE(Settings::contains(QString::fromLatin1(w.placeKey))) << "its place saved, as Salir saves it";
    }
}
