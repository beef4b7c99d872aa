// The deletion run on 10,000 small unused files, through the real deletion
// window (headless): to the trash, and for good after a backup copy with its
// log; against `mv` (the trash's own work) and `cp` + `mv` of the same files
// in the same run.
//   delete_bench [FILES]

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

#include <cstdio>

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
    // The bench's own trash and settings, never the user's.
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    QApplication app(argc, argv);
    App::setup();
    const int count = argc > 1 ? std::max(10, atoi(argv[1])) : 10000;
    const QString root = home.path();

    // Baselines: the same files moved (what the trash does) and copied then
    // moved (what a backup run does).
    makeFiles(root + QStringLiteral("/base"), count);
    QDir().mkpath(root + QStringLiteral("/moved"));
    const double cp = timeCommand(QStringLiteral("cp"), {QStringLiteral("-r"), root + QStringLiteral("/base"),
                                                         root + QStringLiteral("/copied")});
    const double mv = timeCommand(QStringLiteral("sh"), {QStringLiteral("-c"),
                                                         QStringLiteral("find \"$0\" -name '*.wav' -exec mv -t \"$1\" {} +"),
                                                         root + QStringLiteral("/base"), root + QStringLiteral("/moved")});

    const QStringList toTrash = makeFiles(root + QStringLiteral("/trash-run"), count);
    const Run trash = runWindow(toTrash, true, QString());
    const QStringList toBackup = makeFiles(root + QStringLiteral("/backup-run"), count);
    QDir().mkpath(root + QStringLiteral("/backup"));
    const Run backup = runWindow(toBackup, false, root + QStringLiteral("/backup"));

    std::printf("files=%d\n", count);
    std::printf("trash: seconds=%.3f deleted=%d mv_seconds=%.3f ratio=%.2f longest_gap_ms=%lld\n", trash.seconds,
                trash.deleted, mv, trash.seconds / mv, static_cast<long long>(trash.gap));
    std::printf("backup: seconds=%.3f deleted=%d cp_mv_seconds=%.3f ratio=%.2f longest_gap_ms=%lld\n",
                backup.seconds, backup.deleted, cp + mv, backup.seconds / (cp + mv),
                static_cast<long long>(backup.gap));
    unloadForm1();
    // A run that deleted nothing measured nothing.
    return trash.deleted == count && backup.deleted == count ? 0 : 1;
}
