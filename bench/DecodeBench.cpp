// The open road on one large project: a generated project of 256 MB with
// 2000 audio paths, opened through the real main window (headless), against
// `grep -c -F ':\'` over the same file in the same run.
//   decode_bench [MEGABYTES]
// Prints the times, the ratio, the longest time the event loop was kept
// waiting during the run and the peak resident memory of the open road.

#include "app/App.h"
#include "bench/BenchLibrary.h"
#include "main/Decoder.h"
#include "main/Form1.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

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

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 256;
    QTemporaryDir dir;
    dir.setAutoRemove(!qEnvironmentVariableIsSet("KEEP"));
    App::setup();

    // Random bytes between the paths, as a real project's other data.
    const int paths = 2000;
    const qint64 total = qint64(megabytes) * 1024 * 1024;
    const qint64 gap = total / paths;
    QByteArray area;
    area.reserve(total + paths * 64);
    quint32 x = 12345;
    for (int i = 0; i < paths; ++i) {
        const qsizetype start = area.size();
        area.resize(start + gap);
        char *d = area.data() + start;
        for (qint64 k = 0; k < gap; ++k) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            d[k] = char(x >> 24);
        }
        area.append('\0');
        area += DriveMap::instance().toWindows(dir.path() + QStringLiteral("/Audio/take %1.wav").arg(i)).toLatin1();
        area.append('\0');
    }
    const QString project = dir.path() + QStringLiteral("/Grande.vip");
    if (!Fixtures::writeFile(project, Fixtures::vipRaw(area))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(project));
        return 1;
    }
    area.clear();
    area.squeeze();

    // Warm the cache, then measure both in the same run.
    timeCommand(QStringLiteral("cat"), {project});
    const double grep = timeCommand(QStringLiteral("grep"), {QStringLiteral("-c"), QStringLiteral("-F"),
                                                             QStringLiteral(":\\"), project});

    Form1 &f = form1();
    f.Inicio();
    DialogAnswerer answer;
    answer.queuePath(project);
    EventPump::resetGapStats();
    resetPeakRss();
    const long long rssBefore = peakRssMb();
    Stopwatch t;
    f.AbrirFichero_Click();
    const double road = t.seconds();
    const long long rssPeak = peakRssMb();
    const qint64 roadGap = EventPump::longestGapMs();

    // One list-mode decoding alone, without the window's work around it (nor
    // the wait for the file dialog, which the road's gap figure includes).
    struct Pumping final : Progress
    {
        void setRange(qint64, qint64) override {}
        void setValue(qint64) override {}
        bool cancelled() const override { return false; }
    } pumping;
    double decodeBest = 1e9;
    qint64 decodeGap = 0;
    for (int i = 0; i < 3; ++i) {
        Decoder::State st;
        QStringList list;
        EventPump::resetGapStats();
        Stopwatch d;
        Decoder::ExtraerNombres_Archivos(DriveMap::instance().toWindows(project), &list, QString(), true, st, pumping);
        decodeBest = std::min(decodeBest, d.seconds());
        decodeGap = std::max(decodeGap, EventPump::longestGapMs());
    }

    std::printf("project_mb=%d paths_found=%d\n", megabytes, f.ListVip->count());
    std::printf("grep_seconds=%.3f open_road_seconds=%.3f ratio=%.2f (goal <= 8)\n", grep, road, road / grep);
    std::printf("longest_event_gap_ms=%lld (goal < 50)\n", static_cast<long long>(roadGap));
    std::printf("peak_rss_mb_during_road=%lld (resident when it starts: %lld)\n", rssPeak, rssBefore);
    std::printf("decode_seconds=%.3f (one list-mode decoding, best of 3) decode_longest_event_gap_ms=%lld\n",
                decodeBest, static_cast<long long>(decodeGap));
    // The random bytes may spell a path of their own now and then (a ":\"
    // that runs into ".wav" before a NUL): count only the paths written.
    const QString audio = DriveMap::instance().toWindows(dir.path() + QStringLiteral("/Audio/"));
    int found = 0;
    for (int i = 0; i < f.ListVip->count(); ++i)
        found += f.ListVip->item(i)->text().startsWith(audio);
    unloadForm1();
    return found == paths ? 0 : 1;
}
