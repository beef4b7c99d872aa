#include "app/App.h"

#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Acerca.h"
#include "main/FolderListWindows.h"
#include "main/Form1.h"
#include "main/Perdidos.h"
#include "platform/Ask.h"
#include "platform/Settings.h"
#include "services/Dialogo.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <functional>

namespace {

// What a question looked like the moment it was up.
struct Seen
{
    QString title;
    bool staysOnTop = false; // as the widget and its native window have it
    bool ofTheProgram = false; // no window of its own that it is kept above
    bool active = false;     // the application's active window
    bool focused = false;    // the keyboard focus is inside it
    QStringList topmostShown; // the windows that stay on top, shown under it
};

// Waits for the next question, notes how it stands, then closes it (its
// cautious answer).
void inspectNext(Seen &seen)
{
    whenModal([&seen](QDialog *d) {
        seen.title = d->windowTitle();
        (void)QTest::qWaitFor([d] { return QApplication::activeWindow() == d; }, 2000);
        seen.staysOnTop = d->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && d->windowHandle()
                          && d->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
        seen.ofTheProgram = d->windowHandle() && !d->windowHandle()->transientParent();
        seen.active = QApplication::activeWindow() == d && d->isActiveWindow();
        QWidget *focus = QApplication::focusWidget();
        seen.focused = focus && (focus == d || d->isAncestorOf(focus));
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != d && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                seen.topmostShown << w->objectName();
        d->reject();
    });
}

class Questions : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        App::setup();
    }
};

struct TopWindow
{
    const char *name;
    std::function<QWidget &()> show;
};

struct Question
{
    const char *name;
    std::function<void(QWidget &over)> ask;
};

// Every window that stays on top, and every kind of question the program
// asks: its notices and questions (the main window's and the file
// operations'), the windows' own Qt boxes, and the file and folder dialogs.
TEST_F(Questions, EveryQuestionOpensAboveEveryTopmostWindowWithTheFocus)
{
    const QList<TopWindow> windows = {
        {"Perdidos", [] () -> QWidget & { return perdidos(); }},
        {"ParaBorrar", [] () -> QWidget & { return paraBorrar(); }},
        {"Recuperar", [] () -> QWidget & { return recuperar(); }},
        {"Form2", [] () -> QWidget & { return form2(); }},
        {"UnidadesBuscar", [] () -> QWidget & { return unidadesBuscar(); }},
        {"FormNoBorrar", [] () -> QWidget & { return formNoBorrar(); }},
        {"Acerca", [] () -> QWidget & { return acerca(); }},
    };
    const QList<Question> questions = {
        {"AvisoMsg", [](QWidget &) { form1().AvisoMsg("No hay nada seleccionado", "Aviso"); }},
        {"Ask", [](QWidget &) { Ask::yes("Copiar archivo", "¿Desea reemplazarlo?"); }},
        {"QMessageBox", [](QWidget &over) { QMessageBox::warning(&over, "Aviso", "No se ha podido"); }},
        {"AbrirArchivo", [](QWidget &over) { Dialogo::AbrirArchivo(&over, "Log (*.log)|*.log", "Abrir", {}); }},
        {"ElegirCarpeta", [](QWidget &over) { Dialogo::ElegirCarpeta(&over, "Elegir carpeta"); }},
    };
    Form1 &f = form1();
    f.show();
    for (const TopWindow &tw : windows) {
        QWidget &w = tw.show();
        w.show();
        w.raise();
        w.activateWindow();
        ASSERT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << tw.name;
        for (const Question &q : questions) {
            const std::string where = std::string(q.name) + " over " + tw.name;
            Seen seen;
            inspectNext(seen);
            q.ask(w);
            EXPECT_FALSE(seen.title.isEmpty()) << where << ": no question";
            EXPECT_TRUE(seen.staysOnTop) << where;
            EXPECT_TRUE(seen.ofTheProgram) << where;
            EXPECT_TRUE(seen.active) << where;
            EXPECT_TRUE(seen.focused) << where;
            EXPECT_TRUE(seen.topmostShown.contains(w.objectName())) << where;
        }
        w.hide();
    }
}

// A click on a window that the question blocks brings that window forward:
// the question comes back above it.
TEST_F(Questions, AQuestionComesBackWhenTheWindowItBlocksIsActivated)
{
    Form1 &f = form1();
    f.show();
    Perdidos &p = perdidos();
    p.show();
    bool back = false;
    whenModal([&](QDialog *d) {
        (void)QTest::qWaitFor([d] { return QApplication::activeWindow() == d; }, 2000);
        p.activateWindow(); // as the window manager does on a click
        (void)QTest::qWaitFor([&p] { return QApplication::activeWindow() == &p; }, 500);
        back = QTest::qWaitFor([d] { return QApplication::activeWindow() == d; }, 2000);
        d->reject();
    });
    form1().AvisoMsg("Texto", "Aviso");
    EXPECT_TRUE(back);
}

// The roads named by users: the first-run question under the search-folder
// window, and the associated-files notice over its own window.
TEST_F(Questions, TheStartUpQuestionIsAboveTheSearchFolderWindow)
{
    write("P/Tema.vip", Fixtures::vipBytes({win("P/a.wav")}));
    write("P/a.wav", Fixtures::noise(64, 1));
    // First the first-run notice, then the question with the search-folder
    // window shown.
    Seen notice, question;
    whenModal([&](QDialog *d) {
        notice.title = d->windowTitle();
        inspectNext(question);
        d->findChild<QPushButton *>("Boton0")->click();
    });
    App::start({host("P/Tema.vip")});
    EXPECT_EQ(notice.title, "Configuración");
    EXPECT_EQ(question.title, "Descodificar Vip");
    EXPECT_TRUE(question.staysOnTop);
    EXPECT_TRUE(question.ofTheProgram);
    EXPECT_TRUE(question.active);
    EXPECT_TRUE(question.focused);
    EXPECT_TRUE(question.topmostShown.contains(unidadesBuscar().objectName())) << question.topmostShown.join(", ").toStdString();
}

TEST_F(Questions, TheAssociatedFilesNoticeIsAboveItsWindow)
{
    Settings::set("TotalCarpetasBusca", "1");
    write("P/Tema.vip", Fixtures::vipBytes({win("P/a.wav")}));
    write("P/a.wav", Fixtures::noise(64, 1));
    Form1 &f = form1();
    f.show();
    f.AbrirRuta(win("P/Tema.vip"));
    ASSERT_EQ(f.ListProyectos->count(), 1);
    Seen seen;
    inspectNext(seen);
    form2();
    EXPECT_EQ(seen.title, "Asociados a Proyectos VIP");
    EXPECT_TRUE(seen.staysOnTop);
    EXPECT_TRUE(seen.active);
    EXPECT_TRUE(seen.focused);
    EXPECT_TRUE(seen.topmostShown.contains(form2().objectName()));
}

} // namespace
