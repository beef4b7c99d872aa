// A headless run of the main window's analysis, as the user would start it,
// for end-to-end checks without a display:
//   analysis_bench [--dump DIR] PATH
// PATH is a host path: a project file is opened through "Abrir proyecto VIP"
// with the dialog answered by PATH. Dialogs the run shows are answered with
// their first button and their texts printed on stderr. With --dump, every
// result list is written to DIR/<list>.txt (UTF-8, one item a line, LF).
// The last line on stdout is "seconds=<wall time of the analysis>".

#include "app/App.h"
#include "main/Form1.h"
#include "main/Perdidos.h"
#include "platform/EventPump.h"
#include "tests/support/DialogAnswerer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>

#include <cstdio>

namespace {

bool dumpList(const QString &dir, const QString &name, const QStringList &lines)
{
    QFile f(dir + u'/' + name + QStringLiteral(".txt"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (const QString &l : lines)
        f.write(l.toUtf8() + '\n');
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: analysis_bench [--dump DIR] PATH\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    App::setup();

    QString dump;
    QString path;
    const QStringList args = QApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--dump") && i + 1 < args.size())
            dump = args[++i];
        else if (args[i].startsWith(QStringLiteral("--")))
            return usage();
        else if (path.isEmpty())
            path = args[i];
        else
            return usage();
    }
    if (path.isEmpty())
        return usage();
    const QFileInfo target(path);
    if (!target.exists()) {
        std::fprintf(stderr, "analysis_bench: %s does not exist\n", qPrintable(path));
        return 2;
    }

    Form1 &f = form1();
    f.Inicio();
    DialogAnswerer answer;
    answer.setPrintMessages(true);

    EventPump::resetGapStats();
    QElapsedTimer clock;
    clock.start();
    if (target.isDir()) {
        std::fprintf(stderr, "analysis_bench: folders are not analysed yet\n");
        return 2;
    }
    answer.queuePath(target.absoluteFilePath());
    f.AbrirFichero_Click();
    const double seconds = clock.nsecsElapsed() / 1e9;

    if (f.TextDecode && !f.TextDecode->isHidden())
        std::fprintf(stderr, "status: %s\n", qPrintable(f.TextDecode->toPlainText()));

    if (!dump.isEmpty()) {
        QDir().mkpath(dump);
        const bool ok = dumpList(dump, QStringLiteral("ListProyectos"), Form1::lines(f.ListProyectos))
            && dumpList(dump, QStringLiteral("ListVip"), Form1::lines(f.ListVip))
            && dumpList(dump, QStringLiteral("ListUtilizados"), Form1::lines(f.ListUtilizados))
            && dumpList(dump, QStringLiteral("ListBorrar"), Form1::lines(f.ListBorrar))
            && dumpList(dump, QStringLiteral("ListPerdidos"),
                        perdidosLoaded() ? Form1::lines(perdidos().ListPerdidos) : QStringList());
        if (!ok) {
            std::fprintf(stderr, "analysis_bench: cannot write to %s\n", qPrintable(dump));
            return 1;
        }
    }
    std::printf("projects=%d used=%d unused=%d missing_lines=%d\n", f.ListProyectos->count(),
                f.ListUtilizados->count(), f.ListBorrar->count(),
                perdidosLoaded() ? perdidos().ListPerdidos->count() : 0);
    std::printf("longest_event_gap_ms=%lld\n", static_cast<long long>(EventPump::longestGapMs()));
    std::printf("seconds=%.3f\n", seconds);
    unloadForm1();
    return 0;
}
