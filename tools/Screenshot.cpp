// Takes pictures of the real windows as a user sees them: the start-up (with
// the first-run notice), then the main window after analysing a folder, then
// the associated-files window over the first project's folder.
// Run it on a display (tools/screenshot.sh starts a virtual one).
//   velmar_shot OUT_DIR LIBRARY_FOLDER

#include "app/App.h"
#include "cleanup/Form2.h"
#include "main/FolderListWindows.h"
#include "main/Form1.h"
#include "platform/DriveMap.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

QString g_out;
int g_shot = 0;

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void shoot(const QString &name)
{
    const QString file = QStringLiteral("%1/%2-%3.png").arg(g_out).arg(++g_shot, 2, 10, QLatin1Char('0')).arg(name);
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
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: velmar_shot OUT_DIR LIBRARY_FOLDER\n");
        return 2;
    }
    g_out = args[0];
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
    Form1::setEndProcess([] {});
    return 0;
}
