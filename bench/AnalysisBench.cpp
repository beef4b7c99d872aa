// A headless run of the main window's analysis, as the user would start it,
// for end-to-end checks without a display:
//   analysis_bench [--dump DIR] [--listados] [--then PATH2]
//                  [--delete trash|permanent [--backup DIR] [--delete-twice]] [--restore LOG] [PATH]
// PATH is a host path: a project file is opened through "Abrir proyecto VIP"
// with the dialog answered by PATH. Dialogs the run shows are answered with
// their first button and their texts printed on stderr. With --dump, every
// result list is written to DIR/<list>.txt (UTF-8, one item a line, LF).
// After the analysis, --delete runs the deletion window over every unused
// file (to the trash or for good; --backup DIR ticks the backup and answers
// its folder dialog with DIR); --restore LOG reads LOG in the restore window
// and restores it (PATH may then be left out). Every question is answered
// with its first button, as a user who means the deletion would ("Borrar"
// to the question before a deletion for good, "Sí"). With --dump the deletion window's list after the
// run goes to ParaBorrar.txt and the restore list to Recuperar.txt.
// --delete-twice: after the first run the deletion window is closed and
// opened again, every item selected, and the run started again.
// --then PATH2: after the analysis of PATH the deletion window is opened,
// PATH2 (a folder or a project file, by the dropped-path road) is analysed
// while it stays open, and --delete then runs from that window as it stands.
// --listados: right after the analysis of PATH the menu command
// "SalvaListados" saves the listings into "Listados" under the project
// folder; "listados=<files written>" is printed, and the exit status is 1
// when a listing could not be written.
// The last line on stdout is "seconds=<wall time of the analysis>". Each
// road run prints the longest time the window did not answer during it:
// "longest_event_gap_ms=" (the analysis), "then_longest_event_gap_ms="
// (the analysis of PATH2), "delete_longest_gap_ms=" (each deletion run),
// "restore_longest_gap_ms=" (the restore), "asociados_longest_gap_ms=" (the
// associated-files scan and its deletion), each with "(goal < 50: met)" or
// "FAILED" after it.
// --info FILE alone prints on stdout exactly the information text an
// audition of FILE leaves (UTF-8, CR LF as in the text, no line end added).
//   analysis_bench --asociados FOLDER [--filtro WAV,MP3,AIF,OGG,FLAC] [--dump DIR] [--delete trash|permanent]
// runs the associated-files window instead: --filtro stores the filter's
// audio types before the window loads (without it the stored filter holds),
// FOLDER (a host path) is dropped on its list, and with --dump the list goes
// to DIR/ListAsociados.txt. --delete then selects every line (Ctrl+A) and
// deletes to the trash or for good, without confirmation and without
// emptying the trash; the list afterwards goes to ListAsociadosDespues.txt.
// It prints "asociados=<file lines> carpetas=<headers> escaneadas=<folders
// walked>", "deleted=<n> failed=<n>" after a deletion, the longest gap
// between event runs of the scan ("longest_event_gap_ms=") and of the
// selection of every line and its count ("asociados_select_longest_gap_ms=")
// and of the deletion ("asociados_delete_longest_gap_ms="), and last
// "seconds=<scan and totals>".

#include "app/App.h"
#include "bench/BenchLibrary.h"
#include "cleanup/Asociados.h"
#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "platform/Settings.h"
#include "cleanup/Recuperar.h"
#include "main/Form1.h"
#include "platform/DriveMap.h"
#include "services/BuscarPaths.h"
#include "services/Module2.h"
#include "main/Perdidos.h"
#include "platform/EventPump.h"
#include "tests/support/DialogAnswerer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QUrl>
#include <QPushButton>

#include <algorithm>
#include <cstdio>

namespace {

bool dumpList(const QString &dir, const QString &name, const QStringList &lines)
{
    QFile f(dir + u'/' + name + QStringLiteral(".txt"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // Written through one buffer of a few pages, reused.
    constexpr qsizetype kBuffer = 64 * 1024;
    QByteArray buffer;
    buffer.reserve(kBuffer);
    bool ok = true;
    QStringEncoder utf8(QStringEncoder::Utf8);
    for (const QString &l : lines) {
        const qsizetype at = buffer.size();
        buffer.resize(at + utf8.requiredSpace(l.size()) + 1);
        char *end = utf8.appendToBuffer(buffer.data() + at, l);
        *end++ = '\n';
        buffer.resize(end - buffer.constData());
        if (buffer.size() >= kBuffer - 4096) {
            ok = ok && f.write(buffer) == buffer.size();
            buffer.resize(0);
        }
    }
    return ok && f.write(buffer) == buffer.size();
}

void printGap(const char *name)
{
    const qint64 gap = EventPump::longestGapMs();
    std::printf("%s=%lld (goal < 50: %s)\n", name, static_cast<long long>(gap), gap < 50 ? "met" : "FAILED");
}

int usage()
{
    std::fprintf(stderr, "usage: analysis_bench [--dump DIR] [--listados] [--then PATH2] [--delete trash|permanent "
                         "[--backup DIR] [--delete-twice]] [--restore LOG] [PATH]\n       analysis_bench --info FILE\n"
                         "       analysis_bench --asociados FOLDER [--filtro WAV,MP3,AIF,OGG,FLAC] [--dump DIR] "
                         "[--delete trash|permanent]\n");
    return 2;
}

int printInfo(const QString &hostFile)
{
    Form1 &f = form1();
    f.Buscado = DriveMap::instance().toWindows(QFileInfo(hostFile).absoluteFilePath());
    f.InfoAudio(Buscar::Obtener_Extension(f.Buscado).toLower());
    const QByteArray bytes = Module2::InfoArchivo.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return 0;
}

// The deletion window over the analysis's unused list (opened unless it is
// shown already): every item selected, the options set, the run started as
// the user starts it.
void runDeletion(const QString &mode, const QString &backup, DialogAnswerer &answer)
{
    Form1 &f = form1();
    if (!paraBorrarLoaded() || !paraBorrar().isVisible())
        f.CommandBorrado_Click();
    if (!paraBorrarLoaded()) {
        std::fprintf(stderr, "analysis_bench: the deletion window did not open\n");
        return;
    }
    ParaBorrar &w = paraBorrar();
    w.ListBorrar->selectAll();
    w.CheckBorrarPapelera->setChecked(mode == QStringLiteral("trash"));
    w.CheckConfirmar->setChecked(false);
    w.CheckVaciarPapelera->setChecked(false);
    w.CheckBackup->setChecked(!backup.isEmpty());
    if (!backup.isEmpty())
        answer.queuePath(QFileInfo(backup).absoluteFilePath());
    // The clock of the gaps starts when the folder dialog has been answered
    // (the wait for a person is no gap).
    EventPump::resetGapStats();
    const QMetaObject::Connection answered =
        QObject::connect(&answer, &DialogAnswerer::dialogAnswered, &answer, [] { EventPump::resetGapStats(); });
    w.cmdHecho->click();
    QObject::disconnect(answered);
    const ParaBorrar::Outcome &o = w.lastOutcome();
    std::printf("deleted=%d skipped=%d failed=%d cancelled=%d\n", o.deleted, o.skipped, o.failed, int(o.cancelled));
    printGap("delete_longest_gap_ms");
    for (const QString &p : o.problems)
        std::fprintf(stderr, "problem: %s\n", qPrintable(p));
}

// The lines of a role in the associated-files list.
int countRole(const Form2 &w, Asociados::Linea::Role role)
{
    int n = 0;
    for (int i = 0; i < w.ListAsociados->count(); ++i)
        n += w.ListAsociados->item(i)->data(Form2::kRoleRole).toInt() == int(role);
    return n;
}

int runAsociados(const QString &folder, const QString &filtro, const QString &mode, const QString &dump)
{
    if (!filtro.isNull()) {
        const QStringList wanted = filtro.split(u',', Qt::SkipEmptyParts);
        for (const QString &t : wanted) {
            if (!Asociados::tiposAudio().contains(t.trimmed().toUpper()))
                return usage();
        }
        for (int i = 0; i < 5; ++i) {
            bool on = false;
            for (const QString &t : wanted)
                on = on || t.trimmed().toUpper() == Asociados::tiposAudio()[i];
            Settings::set(Form2::filterKey(i), on ? QStringLiteral("True") : QStringLiteral("False"));
        }
        Settings::sync();
    }
    const QFileInfo target(folder);
    if (!target.exists()) {
        std::fprintf(stderr, "analysis_bench: %s does not exist\n", qPrintable(folder));
        return 2;
    }
    Form1 &f = form1();
    f.Inicio();
    DialogAnswerer answer;
    answer.setPrintMessages(true);
    Form2 &w = form2();
    w.show();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(target.absoluteFilePath())});
    EventPump::resetGapStats();
    QElapsedTimer clock;
    clock.start();
    w.ListAsociados_OLEDragDrop(&data);
    // The work after the scan's last event run counts too.
    EventPump::pumpNow();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const qint64 gap = EventPump::longestGapMs();
    if (!w.LabelEstado->isHidden())
        std::fprintf(stderr, "status: %s\n", qPrintable(w.LabelEstado->text()));
    std::printf("asociados=%d carpetas=%d escaneadas=%lld\n", countRole(w, Asociados::Linea::File),
                countRole(w, Asociados::Linea::Header), static_cast<long long>(General::NumCarpetasEscaneadas));
    const QStringList before = Form1::lines(w.ListAsociados);

    qint64 selectGap = -1, deleteGap = -1;
    if (!mode.isEmpty()) {
        w.CheckBorrarPapelera->setChecked(mode == QStringLiteral("trash"));
        w.CheckConfirmar->setChecked(false);
        w.CheckVaciarPapelera->setChecked(false);
        EventPump::resetGapStats();
        QKeyEvent ctrlA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
        QCoreApplication::sendEvent(w.ListAsociados, &ctrlA);
        EventPump::pumpNow();
        selectGap = EventPump::longestGapMs();
        EventPump::resetGapStats();
        w.cmdHecho->click();
        EventPump::pumpNow();
        deleteGap = EventPump::longestGapMs();
        const Form2::Outcome &o = w.lastOutcome();
        std::printf("deleted=%d failed=%d\n", o.deleted, o.failed);
        for (const QString &p : o.problems)
            std::fprintf(stderr, "problem: %s\n", qPrintable(p));
    }
    if (!dump.isEmpty()) {
        QDir().mkpath(dump);
        bool ok = dumpList(dump, QStringLiteral("ListAsociados"), before);
        if (ok && !mode.isEmpty())
            ok = dumpList(dump, QStringLiteral("ListAsociadosDespues"), Form1::lines(w.ListAsociados));
        if (!ok) {
            std::fprintf(stderr, "analysis_bench: cannot write to %s\n", qPrintable(dump));
            return 1;
        }
    }
    std::printf("longest_event_gap_ms=%lld\n", static_cast<long long>(gap));
    if (!mode.isEmpty()) {
        std::printf("asociados_select_longest_gap_ms=%lld\n", static_cast<long long>(selectGap));
        std::printf("asociados_delete_longest_gap_ms=%lld\n", static_cast<long long>(deleteGap));
    }
    // The whole road: the scan and, when asked, the selection and the deletion.
    const qint64 roadGap = std::max({gap, selectGap, deleteGap});
    std::printf("asociados_longest_gap_ms=%lld (goal < 50: %s)\n", static_cast<long long>(roadGap),
                roadGap < 50 ? "met" : "FAILED");
    std::printf("seconds=%.3f\n", seconds);
    return 0;
}

void runRestore(const QString &log, DialogAnswerer &answer)
{
    form1().RecuperaBorrados->trigger();
    if (!recuperarLoaded()) {
        std::fprintf(stderr, "analysis_bench: the restore window did not open\n");
        return;
    }
    Recuperar &r = recuperar();
    answer.queuePath(QFileInfo(log).absoluteFilePath());
    EventPump::resetGapStats();
    const QMetaObject::Connection answered =
        QObject::connect(&answer, &DialogAnswerer::dialogAnswered, &answer, [] { EventPump::resetGapStats(); });
    r.cmdOpen->click();
    if (recuperarLoaded() && !r.cmdRecuperar->isHidden()) {
        r.cmdRecuperar->click();
        QObject::disconnect(answered);
        const Recuperar::Outcome &o = r.lastOutcome();
        std::printf("restored=%d not_replaced=%d failed=%d\n", o.copied, o.declined, o.failed);
        printGap("restore_longest_gap_ms");
    } else {
        std::fprintf(stderr, "analysis_bench: nothing to restore from %s\n", qPrintable(log));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    App::setup();

    QString dump, path, mode, backup, restore, info, then, asociados, filtro;
    bool twice = false;
    bool listados = false;
    const QStringList args = QApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == QStringLiteral("--dump") && hasValue)
            dump = args[++i];
        else if (args[i] == QStringLiteral("--delete") && hasValue)
            mode = args[++i];
        else if (args[i] == QStringLiteral("--backup") && hasValue)
            backup = args[++i];
        else if (args[i] == QStringLiteral("--restore") && hasValue)
            restore = args[++i];
        else if (args[i] == QStringLiteral("--info") && hasValue)
            info = args[++i];
        else if (args[i] == QStringLiteral("--then") && hasValue)
            then = args[++i];
        else if (args[i] == QStringLiteral("--asociados") && hasValue)
            asociados = args[++i];
        else if (args[i] == QStringLiteral("--filtro") && hasValue)
            filtro = args[++i];
        else if (args[i] == QStringLiteral("--delete-twice"))
            twice = true;
        else if (args[i] == QStringLiteral("--listados"))
            listados = true;
        else if (args[i].startsWith(QStringLiteral("--")))
            return usage();
        else if (path.isEmpty())
            path = args[i];
        else
            return usage();
    }
    if (!asociados.isEmpty() || !filtro.isNull()) {
        // No project, no backup and no restore on this road.
        if (asociados.isEmpty() || !path.isEmpty() || !backup.isEmpty() || !restore.isEmpty() || !info.isEmpty()
            || !then.isEmpty() || twice
            || (!mode.isEmpty() && mode != QStringLiteral("trash") && mode != QStringLiteral("permanent")))
            return usage();
        return runAsociados(asociados, filtro, mode, dump);
    }
    if (!info.isEmpty()) {
        if (!path.isEmpty() || !mode.isEmpty() || !restore.isEmpty())
            return usage();
        return printInfo(info);
    }
    if ((path.isEmpty() && restore.isEmpty()) || (!mode.isEmpty() && mode != QStringLiteral("trash")
                                                  && mode != QStringLiteral("permanent"))
        || (!backup.isEmpty() && mode.isEmpty()) || (!mode.isEmpty() && path.isEmpty()) || (twice && mode.isEmpty())
        || (!then.isEmpty() && path.isEmpty()) || (listados && path.isEmpty()))
        return usage();

    Form1 &f = form1();
    f.Inicio();
    DialogAnswerer answer;
    answer.setPrintMessages(true);

    double seconds = 0;
    bool listingFailed = false;
    if (!path.isEmpty()) {
        const QFileInfo target(path);
        if (!target.exists()) {
            std::fprintf(stderr, "analysis_bench: %s does not exist\n", qPrintable(path));
            return 2;
        }
        EventPump::resetGapStats();
        Stopwatch clock;
        if (target.isDir()) {
            f.AbrirRuta(DriveMap::instance().toWindows(target.absoluteFilePath()));
        } else {
            answer.queuePath(target.absoluteFilePath());
            // The wait for the file dialog's answer is no gap of the analysis.
            const QMetaObject::Connection answered = QObject::connect(
                &answer, &DialogAnswerer::dialogAnswered, &answer, [] { EventPump::resetGapStats(); });
            f.AbrirFichero_Click();
            QObject::disconnect(answered);
        }
        seconds = clock.seconds();
        if (f.TextDecode && !f.TextDecode->isHidden())
            std::fprintf(stderr, "status: %s\n", qPrintable(f.TextDecode->toPlainText()));
        std::printf("projects=%d used=%d unused=%d missing_lines=%d\n", f.ListProyectos->count(),
                    f.ListUtilizados->count(), f.ListBorrar->count(),
                    perdidosLoaded() ? perdidos().ListPerdidos->count() : 0);
        printGap("longest_event_gap_ms");
        if (listados) {
            f.SalvaListados->trigger();
            const Form1::ListadosOutcome &o = f.lastListados();
            std::printf("listados=%d\n", o.written);
            for (const QString &p : o.failed)
                std::fprintf(stderr, "listado: %s\n", qPrintable(p));
            listingFailed = !o.ran || !o.failed.isEmpty();
        }
    }
    if (!then.isEmpty()) {
        const QFileInfo second(then);
        if (!second.exists()) {
            std::fprintf(stderr, "analysis_bench: %s does not exist\n", qPrintable(then));
            return 2;
        }
        f.CommandBorrado_Click();
        EventPump::resetGapStats();
        f.AbrirRuta(DriveMap::instance().toWindows(second.absoluteFilePath()));
        printGap("then_longest_event_gap_ms");
        std::printf("then: projects=%d unused=%d window_items=%d window_offers=%d\n", f.ListProyectos->count(),
                    f.ListBorrar->count(), paraBorrarLoaded() ? paraBorrar().ListBorrar->count() : 0,
                    int(paraBorrarLoaded() && paraBorrar().cmdHecho->isVisible()));
    }
    if (!mode.isEmpty())
        runDeletion(mode, backup, answer);
    if (twice && paraBorrarLoaded()) {
        paraBorrar().close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        runDeletion(mode, backup, answer);
    }
    if (!restore.isEmpty())
        runRestore(restore, answer);

    if (!dump.isEmpty()) {
        QDir().mkpath(dump);
        bool ok = dumpList(dump, QStringLiteral("ListProyectos"), Form1::lines(f.ListProyectos))
            && dumpList(dump, QStringLiteral("ListVip"), Form1::lines(f.ListVip))
            && dumpList(dump, QStringLiteral("ListUtilizados"), Form1::lines(f.ListUtilizados))
            && dumpList(dump, QStringLiteral("ListBorrar"), Form1::lines(f.ListBorrar))
            && dumpList(dump, QStringLiteral("ListPerdidos"),
                        perdidosLoaded() ? Form1::lines(perdidos().ListPerdidos) : QStringList());
        if (ok && !mode.isEmpty())
            ok = dumpList(dump, QStringLiteral("ParaBorrar"),
                          paraBorrarLoaded() ? Form1::lines(paraBorrar().ListBorrar) : QStringList());
        if (ok && !restore.isEmpty())
            ok = dumpList(dump, QStringLiteral("Recuperar"),
                          recuperarLoaded() ? Form1::lines(recuperar().ListRecuperar) : QStringList());
        if (!ok) {
            std::fprintf(stderr, "analysis_bench: cannot write to %s\n", qPrintable(dump));
            return 1;
        }
    }
    std::printf("seconds=%.3f\n", seconds);
    return listingFailed ? 1 : 0;
}
