// Takes pictures of the real windows as a user sees them: the start-up (with
// the first-run notice), then the main window after analysing a folder, then
// the associated-files window over the first project's folder, then the
// deletion window with its hint and the status box and a balloon.
// Run it on a display (tools/screenshot.sh starts a virtual one).
//   velmar_shot OUT_DIR LIBRARY_FOLDER [PREFIX] [--dark] [--delete-one]
// PREFIX starts every file name; --dark gives the application a dark
// palette, as a dark desktop theme does; --delete-one deletes the first
// unused file for good to picture the deletion's result (only on a library
// made for the pictures).

#include "app/App.h"
#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "main/FolderListWindows.h"
#include "main/Form1.h"
#include "platform/DriveMap.h"
#include "services/Class1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

QString g_out;
QString g_prefix;
int g_shot = 0;

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

void shoot(const QString &name)
{
    const QString file =
        QStringLiteral("%1/%2%3-%4.png").arg(g_out, g_prefix).arg(++g_shot, 2, 10, QLatin1Char('0')).arg(name);
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file))
        std::fprintf(stderr, "velmar_shot: cannot write %s\n", qPrintable(file));
    else
        std::printf("%s\n", qPrintable(file));
}

// Pictures a message the moment it is up, then presses its first button.
void answerMessages()
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->property("shot").toBool())
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

    App::start({});
    settle(600);
    shoot(QStringLiteral("startup"));
    if (unidadesBuscarLoaded())
        unidadesBuscar().hide();

    Form1 &f = form1();
    f.AbrirRuta(DriveMap::instance().toWindows(QDir(args[1]).absolutePath()));
    settle(600);
    shoot(QStringLiteral("analysis"));
    if (f.ListBorrar->count() > 0) {
        f.ListBorrar->setCurrentRow(0);
        settle(300);
        shoot(QStringLiteral("unused-selected"));
    }
    if (f.ListVip->count() > 0) {
        f.ListVip->setCurrentRow(0);
        f.ListVip_Click();
        f.cmdPlayer_Click();
        settle(800);
        shoot(QStringLiteral("audition"));
        f.cmdPlayer_Click();
    }
    f.cmdAsociados->click();
    Form2 &asociados = form2();
    asociados.move(f.x() + 120, f.y() + 60);
    settle(600);
    shoot(QStringLiteral("asociados"));
    if (asociados.ListAsociados->count() > 3) {
        asociados.ListAsociados->setFocus();
        asociados.ListAsociados_KeyDown(Qt::Key_A, Qt::ControlModifier);
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
    Form1::setEndProcess([] {});
    return 0;
}
