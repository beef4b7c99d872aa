// The deletion run on 10,000 small unused files, through the real deletion
// window (headless): to the trash, and for good after a backup copy with its
// log. Against, in the same run: `mv` of the same files (the trash's own
// work), and `cp` into a backup folder, `sync -f` of that folder's disk and
// `rm` of the originals (what a backup run must do at least: the copies are
// on the disk before the originals go).
//   delete_bench [FILES] [RUNS]     (RUNS of each, default 3: medians)
// Goals: the backup run at most 3 times cp + sync + rm; no gap between two
// runs of the event loop of 50 ms or more.

#include "app/App.h"
#include "bench/BenchLibrary.h"
#include "cleanup/ParaBorrar.h"
#include "main/Form1.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QStringList makeFiles(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QStringList windows;
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QStringLiteral("/Toma %1.wav").arg(i, 5, 10, QChar(u'0'));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(Fixtures::noise(200, quint32(i)));
        windows << DriveMap::instance().toWindows(path);
    }
    return windows;
}

struct Run
{
    double seconds = 0;
    qint64 gap = 0;
    int deleted = 0;
};

Run runWindow(const QStringList &files, bool trash, const QString &backup)
{
    Form1 &f = form1();
    // Each line with its file recorded, as an analysis leaves them.
    std::vector<FileRecord> records;
    for (const QString &file : files)
        records.push_back(Fixtures::recordOfWindows(file));
    f.setUnusedList(files, records);
    f.CommandBorrado_Click();
    ParaBorrar &w = paraBorrar();
    w.ListBorrar->selectAll();
    w.CheckBorrarPapelera->setChecked(trash);
    w.CheckConfirmar->setChecked(false);
    w.CheckVaciarPapelera->setChecked(false);
    w.CheckBackup->setChecked(!backup.isEmpty());
    DialogAnswerer answer;
    if (!backup.isEmpty())
        answer.queuePath(backup);
    Stopwatch t;
    QObject::connect(&answer, &DialogAnswerer::dialogAnswered, &answer, [&t] {
        t.start();
        EventPump::resetGapStats();
    });
    EventPump::resetGapStats();
    w.cmdHecho->click();
    Run r{t.seconds(), EventPump::longestGapMs(), w.lastOutcome().deleted};
    w.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    // The bench's own trash and settings, never the user's: its folder is
    // the one volume of the trash.
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("VELMAR_TRASH_VOLUMES", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    QApplication app(argc, argv);
    App::setup();
    const int count = argc > 1 ? std::max(10, atoi(argv[1])) : 10000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const QString root = home.path();

    std::vector<double> mv, cpSyncRm, trash, backup;
    qint64 trashGap = 0, backupGap = 0;
    bool allDeleted = true;
    for (int run = 0; run < runs; ++run) {
        const QString n = QString::number(run);
        // Baselines: the same files moved (what the trash does), and copied,
        // made durable and removed (what a backup run does).
        makeFiles(root + QStringLiteral("/base") + n, count);
        QDir().mkpath(root + QStringLiteral("/moved") + n);
        mv.push_back(timeCommand(QStringLiteral("sh"),
                                 {QStringLiteral("-c"), QStringLiteral("find \"$0\" -name '*.wav' -exec mv -t \"$1\" {} +"),
                                  root + QStringLiteral("/base") + n, root + QStringLiteral("/moved") + n}));
        makeFiles(root + QStringLiteral("/orig") + n, count);
        QDir().mkpath(root + QStringLiteral("/copied") + n);
        cpSyncRm.push_back(timeCommand(
            QStringLiteral("sh"),
            {QStringLiteral("-c"),
             QStringLiteral("cd \"$0\" && cp -p -t \"$1\" -- *.wav && sync -f \"$1\" && rm -f -- *.wav"),
             root + QStringLiteral("/orig") + n, root + QStringLiteral("/copied") + n}));

        const QStringList toTrash = makeFiles(root + QStringLiteral("/trash-run") + n, count);
        const Run t = runWindow(toTrash, true, QString());
        trash.push_back(t.seconds);
        trashGap = std::max(trashGap, t.gap);
        const QStringList toBackup = makeFiles(root + QStringLiteral("/backup-run") + n, count);
        QDir().mkpath(root + QStringLiteral("/backup") + n);
        const Run b = runWindow(toBackup, false, root + QStringLiteral("/backup") + n);
        backup.push_back(b.seconds);
        backupGap = std::max(backupGap, b.gap);
        allDeleted = allDeleted && t.deleted == count && b.deleted == count;
        // The trash grows from run to run: empty it so runs stay alike.
        QDir(root + QStringLiteral("/data/Trash")).removeRecursively();
    }

    const double tr = median(trash), m = median(mv), bk = median(backup), base = median(cpSyncRm);
    std::printf("files=%d runs=%d\n", count, runs);
    std::printf("trash: seconds=%.3f mv_seconds=%.3f ratio=%.2f longest_gap_ms=%lld (goal < 50: %s)\n", tr, m,
                tr / m, static_cast<long long>(trashGap), verdict(trashGap < 50));
    std::printf("backup: seconds=%.3f cp_sync_rm_seconds=%.3f ratio=%.2f (goal <= 3: %s) longest_gap_ms=%lld "
                "(goal < 50: %s)\n",
                bk, base, bk / base, verdict(bk <= 3 * base), static_cast<long long>(backupGap),
                verdict(backupGap < 50));
    unloadForm1();
    // A run that deleted nothing measured nothing.
    return allDeleted ? 0 : 1;
}
