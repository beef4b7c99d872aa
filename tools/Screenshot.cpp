// Takes pictures of the real windows as a user sees them: the start-up (with
// the first-run notice and the search-folder window), the main window after
// analysing a folder, the mouse over a list (the real pointer, moved with
// xdotool) with and without the status box, the player and every small
// window where a fresh profile opens it, the open-file dialog with a typed
// drive path, the associated-files window over the first project's folder,
// the deletion window with its hint and the status box and a balloon.
// Beside the pictures, PREFIXwindows.txt tells for each picture where every
// window's frame stood, and whether it left the screen's free area or covers
// the main window's commands; and what Escape and the mouse did.
// Run it on a display with a window manager (tools/screenshot.sh starts a
// virtual one).
//   velmar_shot OUT_DIR LIBRARY_FOLDER [PREFIX] [--dark] [--delete-one]
// PREFIX starts every file name; --dark gives the application a dark
// palette, as a dark desktop theme does; --delete-one deletes the first
// unused file for good to picture the deletion's result (only on a library
// made for the pictures).

#include "app/App.h"
#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Acerca.h"
#include "main/FolderListWindows.h"
#include "main/Form1.h"
#include "main/Perdidos.h"
#include "platform/DriveMap.h"
#include "player/FormMedia.h"
#include "services/Class1.h"
#include "services/Dialogo.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QString g_out;
QString g_prefix;
int g_shot = 0;
QStringList g_log;

// A dark desktop theme's colours.
QPalette darkPalette()
{
    QPalette p;
    const QColor face(0x35, 0x35, 0x35), base(0x23, 0x23, 0x23), text(0xee, 0xee, 0xee);
    for (const auto role : {QPalette::Window, QPalette::Button, QPalette::ToolTipBase})
        p.setColor(role, face);
    for (const auto role : {QPalette::Base, QPalette::AlternateBase})
        p.setColor(role, base);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText,
                            QPalette::BrightText})
        p.setColor(role, text);
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return p;
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void note(const QString &line)
{
    g_log << line;
    std::printf("  %s\n", qPrintable(line));
}

// Where every shown window stands, as the window manager framed it.
void noteWindows(const QString &shot)
{
    note(QStringLiteral("%1:").arg(shot));
    QRect commands;
    if (QWidget *c = form1().findChild<QWidget *>(QStringLiteral("Comandos")))
        commands = QRect(c->mapToGlobal(QPoint()), c->size());
    for (const QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowType() == Qt::ToolTip || w->windowType() == Qt::Popup)
            continue;
        const QRect frame = w->frameGeometry();
        const QRect area = w->screen()->availableGeometry();
        QString where = area.contains(frame) ? QStringLiteral("inside") : QStringLiteral("OUTSIDE the screen");
        if (w != &form1() && frame.intersects(commands))
            where += QStringLiteral(", OVER the main window's commands");
        note(QStringLiteral("    %1 %2,%3 %4x%5 %6")
                 .arg(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName())
                 .arg(frame.x())
                 .arg(frame.y())
                 .arg(frame.width())
                 .arg(frame.height())
                 .arg(where));
    }
}

void shoot(const QString &name)
{
    const QString file =
        QStringLiteral("%1/%2%3-%4.png").arg(g_out, g_prefix).arg(++g_shot, 2, 10, QLatin1Char('0')).arg(name);
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file))
        std::fprintf(stderr, "velmar_shot: cannot write %s\n", qPrintable(file));
    else
        std::printf("%s\n", qPrintable(file));
    std::fflush(stdout);
    noteWindows(name);
}

// The real pointer, as a user moves it (screen pixels are the display's).
void pointerTo(const QWidget *w, QPoint at)
{
    const QPoint global = w->mapToGlobal(at) * w->devicePixelRatio();
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
    settle(300);
}

// A real key press, to the window that has the keyboard.
void press(const QString &key)
{
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
    settle(400);
}

void activate(QWidget *w)
{
    w->raise();
    w->activateWindow();
    settle(300);
}

// Pictures a message the moment it is up, then presses its first button.
void answerMessages()
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->property("shot").toBool() || qobject_cast<QFileDialog *>(dialog))
            return;
        dialog->setProperty("shot", true);
        settle(300);
        shoot(QStringLiteral("message"));
        QList<QPushButton *> buttons = dialog->findChildren<QPushButton *>();
        std::stable_sort(buttons.begin(), buttons.end(), [](QPushButton *a, QPushButton *b) {
            return a->property("index").toInt() < b->property("index").toInt();
        });
        if (!buttons.isEmpty())
            buttons.first()->click();
    });
    timer->start(100);
}

// The open-file dialog: as it opens, then with a drive path typed in it.
void pictureTheFileDialog(Form1 &f, const QString &folder)
{
    QTimer::singleShot(500, [folder] {
        auto *fd = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!fd)
            return;
        settle(500);
        shoot(QStringLiteral("file-dialog"));
        if (auto *edit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            edit->setText(folder);
            edit->setFocus();
            press(QStringLiteral("Return"));
            settle(500);
            shoot(QStringLiteral("file-dialog-typed"));
        }
        fd->reject();
    });
    Dialogo::AbrirArchivo(&f, QStringLiteral("Proyectos (*.vip)|*.vip"), QStringLiteral("Selecciona un archivo VIP"),
                          QString());
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    const bool dark = args.removeAll(QStringLiteral("--dark")) > 0;
    const bool deleteOne = args.removeAll(QStringLiteral("--delete-one")) > 0;
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: velmar_shot OUT_DIR LIBRARY_FOLDER [PREFIX] [--dark] [--delete-one]\n");
        return 2;
    }
    g_out = args[0];
    g_prefix = args.value(2);
    if (dark)
        QApplication::setPalette(darkPalette());
    QDir().mkpath(g_out);
    App::setup();
    answerMessages();

    // A fresh profile: the first-run notice, then the search-folder window.
    App::start({});
    settle(800);
    shoot(QStringLiteral("startup"));
    Form1 &f = form1();
    if (unidadesBuscarLoaded()) {
        activate(&unidadesBuscar());
        press(QStringLiteral("Escape"));
        note(QStringLiteral("Escape in the search-folder window: ")
             + (unidadesBuscarLoaded() ? QStringLiteral("STILL OPEN") : QStringLiteral("closed")));
    }

    const QString library = DriveMap::instance().toWindows(QDir(args[1]).absolutePath());
    f.AbrirRuta(library);
    settle(800);
    shoot(QStringLiteral("analysis"));

    // The real pointer over the unused list: the line under it and the frame.
    if (f.ListBorrar->count() > 0) {
        pointerTo(f.ListBorrar->viewport(), f.ListBorrar->visualItemRect(f.ListBorrar->item(0)).center());
        shoot(QStringLiteral("pointer-over-list"));
        f.Alerta(2, QStringLiteral("Descodificando: ") + library + QStringLiteral("\r\nOtra línea\r\nY otra más"),
                 true);
        settle(500);
        shoot(QStringLiteral("pointer-status-box"));
        f.TextDecode->hide();
    }
    if (f.ListVip->count() > 0) {
        f.ListVip->setCurrentRow(0);
        f.ListVip_Click();
        f.cmdPlayer_Click();
        settle(800);
        shoot(QStringLiteral("player"));
        // The pointer over the main window's logo area brings it forward.
        activate(&formMedia());
        pointerTo(f.centralWidget(), QPoint(4, f.centralWidget()->height() / 2));
        note(QStringLiteral("The pointer over the main window's background: ")
             + (f.isActiveWindow() ? QStringLiteral("it came to the front") : QStringLiteral("it STAYED BEHIND")));
        f.cmdPlayer_Click();
    }

    // Every small window, one at a time, where a fresh profile opens it.
    const struct
    {
        const char *name;
        std::function<void()> open;
        std::function<QWidget *()> window;
    } small[] = {
        {"deletion-window", [&] { f.CommandBorrado->click(); }, [] { return &paraBorrar(); }},
        {"restore-window", [&] { f.RecuperaBorrados->trigger(); }, [] { return &recuperar(); }},
        {"missing-window", [&] { f.cmdPerdidos->click(); }, [] { return &perdidos(); }},
        {"protected-folders", [&] { f.CarpetasNoBorrar->trigger(); }, [] { return &formNoBorrar(); }},
        {"about", [&] { f.About->trigger(); }, [] { return &acerca(); }},
    };
    for (const auto &w : small) {
        w.open();
        settle(700);
        shoot(QString::fromLatin1(w.name));
        QPointer<QWidget> window = w.window(); // Escape unloads it
        if (QString::fromLatin1(w.name) == QStringLiteral("about") || QString::fromLatin1(w.name) == QStringLiteral("restore-window")) {
            window->hide();
            continue;
        }
        activate(window);
        press(QStringLiteral("Escape"));
        note(QStringLiteral("Escape in %1: %2")
                 .arg(QString::fromLatin1(w.name),
                      window && window->isVisible() ? QStringLiteral("STILL OPEN") : QStringLiteral("closed")));
    }

    pictureTheFileDialog(f, library + QStringLiteral("\\Audio"));

    f.cmdAsociados->click();
    Form2 &asociados = form2();
    settle(800);
    shoot(QStringLiteral("asociados"));
    if (asociados.ListAsociados->count() > 3) {
        // The pointer over the list gives it the keys: Ctrl+A with no click.
        activate(&f);
        pointerTo(asociados.ListAsociados->viewport(),
                  asociados.ListAsociados->visualItemRect(asociados.ListAsociados->item(1)).center());
        press(QStringLiteral("ctrl+a"));
        note(QStringLiteral("Ctrl+A with the pointer over the associated list: %1 lines selected")
                 .arg(asociados.ListAsociados->selectedItems().size()));
        asociados.cmdOpciones_Click();
        settle(400);
        shoot(QStringLiteral("asociados-selected"));
    }
    asociados.close();

    // The windows' own colours: the status box, the clock box, a balloon.
    f.Alerta(3, QStringLiteral(" >>> AVISO <<<   Este archivo no es reproducible"), true);
    f.colorLapso(QColor(0xFF, 0xC0, 0xC0));
    f.TextLapsoTotal->show();
    f.TextLapsoTotal->setText(QStringLiteral(" 1,25"));
    if (f.ListBorrar->count() > 0) {
        const QRect line = f.ListBorrar->visualItemRect(f.ListBorrar->item(0));
        f.TipBorrar->Create(f.ListBorrar);
        f.TipBorrar->setTitle(QStringLiteral("Archivo no utilizado"));
        f.TipBorrar->setTipText(f.ListBorrar->item(0)->text());
        f.TipBorrar->Show(line.left() + 20, line.bottom(), f.ListBorrar->viewport());
    }
    settle(500);
    shoot(QStringLiteral("colours"));

    // The deletion window: its blinking hint, then the result of a run.
    f.CommandBorrado->click();
    ParaBorrar &borrar = paraBorrar();
    settle(700);
    shoot(QStringLiteral("deletion"));
    if (deleteOne && borrar.ListBorrar->count() > 0) {
        borrar.ListBorrar->item(0)->setSelected(true);
        borrar.cmdHecho->click();
        settle(600);
        shoot(QStringLiteral("deletion-done"));
    }

    QFile log(QStringLiteral("%1/%2windows.txt").arg(g_out, g_prefix));
    if (log.open(QIODevice::WriteOnly | QIODevice::Text))
        QTextStream(&log) << g_log.join(u'\n') << '\n';
    Form1::setEndProcess([] {});
    return 0;
}
