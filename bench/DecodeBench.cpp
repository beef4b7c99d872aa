// The open road on one large project: a generated project of 256 MB of
// random bytes naming 2000 audio files, none of them on disk, with a drive
// letter in another letter case than the project's folder.
//   decode_bench [MEGABYTES] [RUNS]
//   decode_bench --make DIR [MEGABYTES]
// The first form measures, in the same run:
//  - `grep -c -F ':\'` over the project;
//  - the whole headless process `analysis_bench --dump` opening it
//    (goal: at most 3 times grep);
//  - the same process opening the same random bytes without any audio path
//    (goal: the 2000 missing paths cost at most 5% more: the median of the
//    differences between the two roads of a turn, over the median road
//    without paths), and both roads inside this process, without the start
//    of a process around them;
//  - the longest time the event loop was kept waiting in any of these roads
//    (goal: under 50 ms) and the peak resident memory of the open road;
//  - one list-mode decoding alone.
// Each timed command runs RUNS times (default 15: one start of a process
// varies by more than the paths cost), interleaved, each taking every place
// in the row in turn; medians are printed. The second form only writes the
// two projects, DIR/con/Grande.vip and DIR/sin/Grande.vip, for
// analysis_bench.

#include "app/App.h"
#include "bench/BenchLibrary.h"
#include "main/Decoder.h"
#include "main/Form1.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kPaths = 2000;

struct Timed
{
    double seconds = 0;
    QByteArray out;
    bool ok = false;
};

Timed runCommand(const QString &program, const QStringList &args)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    // Not /dev/null: grep notices it and stops at the first match.
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    p.waitForFinished(-1);
    Timed r;
    r.out = p.readAllStandardOutput();
    r.seconds = t.nsecsElapsed() / 1e9;
    r.ok = p.exitStatus() == QProcess::NormalExit && p.error() != QProcess::FailedToStart && p.exitCode() == 0;
    if (!r.ok)
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
    return r;
}

// Peak resident memory in MiB (VmHWM), -1 when unknown.
long long peakRssMb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6)) / 1024;
    return -1;
}

// Starts the peak over from the memory resident now, so the peak read after
// the open road is that of the road, not of building the project.
void resetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The Windows path of a host path with its drive letter in lower case.
QString lowerLetter(const QString &host)
{
    QString w = DriveMap::instance().toWindows(host);
    if (!w.isEmpty())
        w[0] = w[0].toLower();
    return w;
}

// Writes `dir`/con/Grande.vip (random bytes and the paths) and
// `dir`/sin/Grande.vip (the same random bytes, no path). The audio files are
// named in `dir`/Audio, which is never written.
bool makeProjects(const QString &dir, int megabytes, QString *with, QString *without)
{
    const qint64 total = qint64(megabytes) * 1024 * 1024;
    const qint64 gap = total / kPaths;
    QByteArray area, bare;
    area.reserve(total + kPaths * 96);
    bare.reserve(total + kPaths);
    quint32 x = 12345;
    std::vector<char> chunk(static_cast<size_t>(gap));
    for (int i = 0; i < kPaths; ++i) {
        for (qint64 k = 0; k < gap; ++k) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            chunk[size_t(k)] = char(x >> 24);
        }
        area.append(chunk.data(), gap);
        bare.append(chunk.data(), gap);
        area.append('\0');
        bare.append('\0');
        area += lowerLetter(dir + QStringLiteral("/Audio/take %1.wav").arg(i)).toLatin1();
        area.append('\0');
    }
    *with = dir + QStringLiteral("/con/Grande.vip");
    *without = dir + QStringLiteral("/sin/Grande.vip");
    return Fixtures::writeFile(*with, Fixtures::vipRaw(area)) && Fixtures::writeFile(*without, Fixtures::vipRaw(bare));
}

// Drops a file from the page cache and reads it back in: the two projects
// then lie in memory alike. (Kept for long, a file's cached pages age into
// a state that reads it up to twice as slowly as another's: the open roads
// would compare the files' pages, not the paths.)
void freshCache(const QString &file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    std::vector<char> buffer(1024 * 1024);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
}

qint64 gapOf(const QByteArray &out)
{
    const QRegularExpression re(QStringLiteral("longest_event_gap_ms=(\\d+)"));
    const auto m = re.match(QString::fromUtf8(out));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2 && std::strcmp(argv[1], "--make") == 0) {
        QCoreApplication app(argc, argv);
        const QString dir = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
        const int megabytes = argc > 3 ? std::max(1, atoi(argv[3])) : 256;
        QString with, without;
        if (!makeProjects(dir, megabytes, &with, &without)) {
            std::fprintf(stderr, "cannot write under %s\n", qPrintable(dir));
            return 1;
        }
        std::printf("%s\n%s\n", qPrintable(with), qPrintable(without));
        return 0;
    }

    QTemporaryDir dir;
    dir.setAutoRemove(!qEnvironmentVariableIsSet("KEEP"));
    // The window's settings go to the temporary folder, not the user's (the
    // headless processes inherit it).
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toLocal8Bit());
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 256;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
    App::setup();

    QString project, bare;
    if (!makeProjects(dir.path(), megabytes, &project, &bare)) {
        std::fprintf(stderr, "cannot write the projects under %s\n", qPrintable(dir.path()));
        return 1;
    }

    // The whole process against grep, interleaved so that a busy moment of
    // the machine falls on all three alike; the cache warmed first.
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/analysis_bench");
    const QString dumps = dir.path() + QStringLiteral("/dump");
    const QStringList grepArgs = {QStringLiteral("-c"), QStringLiteral("-F"), QStringLiteral(":\\"), project};
    // The projects' writes go to the disk first: a flush running behind the
    // measures would slow both sides at random.
    runCommand(QStringLiteral("sync"), {});
    runCommand(QStringLiteral("cat"), {project, bare});
    runCommand(tool, {QStringLiteral("--dump"), dumps, project});
    runCommand(tool, {QStringLiteral("--dump"), dumps + QStringLiteral("-sin"), bare});
    std::vector<double> grep, processRoad, processRoadBare;
    qint64 processGap = 0;
    bool processOk = true;
    for (int i = 0; i < runs; ++i) {
        freshCache(project);
        freshCache(bare);
        // The three commands take turns at each place in the row: a command
        // that always followed another would carry what that one left (a
        // file just read, a processor just busy).
        for (int k = 0; k < 3; ++k) {
            switch ((i + k) % 3) {
            case 0:
                grep.push_back(runCommand(QStringLiteral("grep"), grepArgs).seconds);
                break;
            case 1: {
                const Timed a = runCommand(tool, {QStringLiteral("--dump"), dumps, project});
                processRoad.push_back(a.seconds);
                processOk = processOk && a.ok;
                processGap = std::max(processGap, gapOf(a.out));
                break;
            }
            default: {
                const Timed b = runCommand(tool, {QStringLiteral("--dump"), dumps + QStringLiteral("-sin"), bare});
                processRoadBare.push_back(b.seconds);
                processOk = processOk && b.ok;
                break;
            }
            }
        }
    }

    // The open road inside this process, on both projects in turn: the
    // cost of the paths without the start of a process around it, the gap
    // and the memory.
    struct Road
    {
        double seconds = 0;
        qint64 gap = 0;
        long long rssPeak = 0, rssBefore = 0;
        int paths = 0, written = 0;
    };
    const QString audio = lowerLetter(dir.path() + QStringLiteral("/Audio/"));
    auto openRoad = [&](const QString &file) {
        Road r;
        Form1 &f = form1();
        f.Inicio();
        DialogAnswerer answer;
        answer.queuePath(file);
        resetPeakRss();
        r.rssBefore = peakRssMb();
        QElapsedTimer t;
        t.start();
        QObject::connect(&answer, &DialogAnswerer::dialogAnswered, &answer, [&t] {
            t.restart();
            EventPump::resetGapStats();
        });
        f.AbrirFichero_Click();
        r.seconds = t.nsecsElapsed() / 1e9;
        r.gap = EventPump::longestGapMs();
        r.rssPeak = peakRssMb();
        r.paths = f.ListVip->count();
        // The random bytes may spell a path of their own now and then (a
        // ":\" that runs into ".wav" before a NUL): count only those written.
        for (int i = 0; i < f.ListVip->count(); ++i)
            r.written += f.ListVip->item(i)->text().startsWith(audio);
        unloadForm1();
        return r;
    };
    std::vector<double> inProcess, inProcessBare;
    Road road;
    qint64 roadGap = 0;
    for (int i = 0; i < runs; ++i) {
        road = openRoad(project);
        inProcess.push_back(road.seconds);
        roadGap = std::max(roadGap, road.gap);
        const Road bareRoad = openRoad(bare);
        inProcessBare.push_back(bareRoad.seconds);
        roadGap = std::max(roadGap, bareRoad.gap);
    }

    // One list-mode decoding alone, without the window's work around it.
    struct Pumping final : Progress
    {
        void setRange(qint64, qint64) override {}
        void setValue(qint64) override {}
        bool cancelled() const override { return false; }
    } pumping;
    std::vector<double> decode;
    qint64 decodeGap = 0;
    for (int i = 0; i < 3; ++i) {
        Decoder::State st;
        QStringList list;
        EventPump::resetGapStats();
        QElapsedTimer d;
        d.start();
        Decoder::ExtraerNombres_Archivos(DriveMap::instance().toWindows(project), &list, QString(), true, st, pumping);
        decode.push_back(d.nsecsElapsed() / 1e9);
        decodeGap = std::max(decodeGap, EventPump::longestGapMs());
    }

    const double g = median(grep), r = median(processRoad), rb = median(processRoadBare);
    const double ratio = r / g;
    // The cost of the paths: the difference within each turn, where both
    // roads ran side by side, the machine's slower and quicker moments
    // falling on both alike.
    std::vector<double> differences;
    for (size_t i = 0; i < processRoad.size() && i < processRoadBare.size(); ++i)
        differences.push_back(processRoad[i] - processRoadBare[i]);
    const double extra = rb > 0 ? median(differences) / rb * 100 : 0;
    const double ri = median(inProcess), rib = median(inProcessBare);
    std::vector<double> differencesIn;
    for (size_t i = 0; i < inProcess.size() && i < inProcessBare.size(); ++i)
        differencesIn.push_back(inProcess[i] - inProcessBare[i]);
    const double extraIn = rib > 0 ? median(differencesIn) / rib * 100 : 0;
    const qint64 gap = std::max(processGap, roadGap);
    std::printf("project_mb=%d paths_found=%d runs=%d\n", megabytes, road.paths, runs);
    std::printf("grep_seconds=%.3f process_seconds=%.3f ratio=%.2f (goal <= 3: %s)\n", g, r, ratio,
                verdict(ratio <= 3 && processOk));
    std::printf("process_no_audio_seconds=%.3f missing_paths_cost=%+.1f%% (median difference of a turn; goal <= 5%%: "
                "%s)\n",
                rb, extra,
                verdict(extra <= 5 && processOk));
    std::printf("  inside this process, without its start: open_road_seconds=%.3f no_audio=%.3f (%+.1f%%)\n", ri, rib,
                extraIn);
    std::printf("longest_event_gap_ms=%lld (processes %lld, in this process %lld; goal < 50: %s)\n",
                static_cast<long long>(gap), static_cast<long long>(processGap), static_cast<long long>(roadGap),
                verdict(gap < 50 && processGap >= 0));
    std::printf("peak_rss_mb_during_road=%lld (resident when it starts: %lld)\n", road.rssPeak, road.rssBefore);
    std::printf("decode_seconds=%.3f (one list-mode decoding, median of 3) decode_longest_event_gap_ms=%lld\n",
                median(decode), static_cast<long long>(decodeGap));
    return road.written == kPaths && processOk ? 0 : 1;
}
