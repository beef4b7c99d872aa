// The open road on a large library: one project naming 21,000 files (1,000
// of them missing) of its 62,500-file folder tree, with 3,000 same-name
// copies (half of them identical), opened through the real main window
// (headless). Against the least any correct tool does on the same data in
// the same run, warm cache: `find <folder> -type f`, `cat` of the project and
// `cat` of the 6,000 files that must be compared (each copy and its
// original). Then the same with the library doubled and four times as large,
// to check that the cost grows linearly and the memory stays bounded; and
// once more with the 59,500 takes of the project in one folder.
//   unused_bench [SCALE] [RUNS]   (SCALE multiplies the library, default 1;
//                                  RUNS timed runs of each, default 3: medians)
//   unused_bench --make DIR [SCALE [flat]]
// The second form only writes the library into DIR (which must not exist),
// with "flat" every take in one folder, and prints its project file, for
// `analysis_bench`.

#include "app/App.h"
#include "bench/BenchLibrary.h"
#include "main/Form1.h"
#include "main/Unused.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "services/ModuleArchivos.h"
#include "tests/support/DialogAnswerer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

LibrarySpec specFor(double scale, bool flat = false)
{
    LibrarySpec spec;
    spec.files = int(59500 * scale);
    spec.used = int(20000 * scale);
    spec.copies = int(3000 * scale);
    spec.missing = int(1000 * scale);
    spec.flat = flat;
    return spec;
}

// Resident memory now and its peak since the last reset, in KiB.
qint64 statusKb(const char *key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(std::strlen(key)));
    return -1;
}

void resetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Figures
{
    qint64 files = 0;
    int usedPaths = 0;
    double road = 0, baseline = 0, inventory = 0;
    qint64 gap = 0;
    qint64 memoryPerFile = 0; // bytes of peak resident memory the road added, per file
    int unused = 0, expectedUnused = 0;
};

Figures measure(const QString &root, double scale, int runs, bool flat = false)
{
    const Library lib = makeLibrary(root, specFor(scale, flat));
    const QString project = lib.projects.first();
    const QString folder = QFileInfo(project).absolutePath();

    Figures fig;
    fig.files = lib.fileCount;
    fig.usedPaths = lib.usedPaths;
    fig.expectedUnused = lib.unusedAudio;

    // The files a correct analysis reads, as one list for `xargs cat`.
    const QString list = root + QStringLiteral(".compared");
    {
        QFile f(list);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        for (const QString &p : lib.compared)
            f.write(QFile::encodeName(p) + '\0');
    }
    auto baseline = [&] {
        return timeCommand(QStringLiteral("find"), {folder, QStringLiteral("-type"), QStringLiteral("f")})
            + timeCommand(QStringLiteral("cat"), {project})
            + timeCommand(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("xargs -0 cat < \"$0\""), list});
    };
    // The library's writes go to the disk first: a flush running behind the
    // measures would slow both sides at random.
    timeCommand(QStringLiteral("sync"), {});
    baseline(); // warm the cache

    std::vector<double> roads, bases;
    for (int run = 0; run < runs; ++run) {
        bases.push_back(baseline());
        Form1 &f = form1();
        f.Inicio();
        DialogAnswerer answer;
        answer.queuePath(project);
        QElapsedTimer t;
        t.start();
        qint64 residentKb = 0;
        // The clock starts when the file dialog has been answered.
        QObject::connect(&answer, &DialogAnswerer::dialogAnswered, &answer, [&] {
            resetPeakRss();
            residentKb = statusKb("VmRSS:");
            t.restart();
            EventPump::resetGapStats();
        });
        f.AbrirFichero_Click();
        roads.push_back(t.nsecsElapsed() / 1e9);
        fig.gap = std::max(fig.gap, EventPump::longestGapMs());
        fig.memoryPerFile = std::max(fig.memoryPerFile, (statusKb("VmHWM:") - residentKb) * 1024 / fig.files);
        fig.unused = f.ListBorrar->count();
        unloadForm1();
    }
    fig.road = median(roads);
    fig.baseline = median(bases);

    // The walk alone, through the routine the window calls.
    WinFs::clearCache();
    QElapsedTimer inv;
    inv.start();
    ModuleArchivos::Inventory inventory;
    ModuleArchivos::BuscarArchivos(DriveMap::instance().toWindows(folder), Unused::patterns(), inventory, nullptr);
    fig.inventory = inv.nsecsElapsed() / 1e9;
    QFile::remove(list);
    return fig;
}

void print(const char *label, const Figures &f)
{
    std::printf("%s: files=%lld used_paths=%d unused=%d (expected %d: %s) road_s=%.3f baseline_s=%.3f ratio=%.2f "
                "inventory_s=%.3f\n",
                label, static_cast<long long>(f.files), f.usedPaths, f.unused, f.expectedUnused,
                f.unused == f.expectedUnused ? "ok" : "MISMATCH", f.road, f.baseline, f.road / f.baseline,
                f.inventory);
    std::printf("  longest_event_gap_ms=%lld (goal < 50: %s) memory_per_file_bytes=%lld (goal <= 1024: %s)\n",
                static_cast<long long>(f.gap), verdict(f.gap < 50), static_cast<long long>(f.memoryPerFile),
                verdict(f.memoryPerFile <= 1024));
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2 && std::strcmp(argv[1], "--make") == 0) {
        QCoreApplication app(argc, argv);
        const QString dir = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
        const double scale = argc > 3 ? std::max(0.01, atof(argv[3])) : 1.0;
        if (QFileInfo::exists(dir)) {
            std::fprintf(stderr, "unused_bench: %s already exists\n", qPrintable(dir));
            return 2;
        }
        const Library lib = makeLibrary(dir, specFor(scale, argc > 4 && std::strcmp(argv[4], "flat") == 0));
        std::printf("%s\nfiles=%lld used=%d unused=%d missing=%d\n", qPrintable(lib.projects.first()),
                    static_cast<long long>(lib.fileCount), lib.usedPaths, lib.unusedAudio, lib.missingPaths);
        return 0;
    }
    QTemporaryDir one, two, four;
    // The window's settings go to a temporary folder, not the user's.
    qputenv("XDG_CONFIG_HOME", (one.path() + QStringLiteral("-config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (one.path() + QStringLiteral("-data")).toLocal8Bit());
    QApplication app(argc, argv);
    App::setup();
    const double scale = argc > 1 ? std::max(0.01, atof(argv[1])) : 1.0;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    const Figures a = measure(one.path(), scale, runs);
    print("library", a);
    std::printf("  goal: road <= 3 x baseline: %s\n", verdict(a.road <= 3 * a.baseline));
    std::fflush(stdout);
    const Figures b = measure(two.path(), scale * 2, runs);
    print("doubled", b);
    std::printf("  growth=%.2f (goal <= 2.2: %s)\n", b.road / a.road, verdict(b.road <= 2.2 * a.road));
    std::fflush(stdout);
    const Figures c = measure(four.path(), scale * 4, runs);
    print("quadrupled", c);
    std::printf("  growth=%.2f (goal <= 4.4: %s)\n", c.road / a.road, verdict(c.road <= 4.4 * a.road));
    std::fflush(stdout);
    // The same library with every take of the project in one folder: the
    // window answers while that folder is read too.
    QTemporaryDir flatDir;
    const Figures d = measure(flatDir.path(), scale, runs, true);
    print("one_folder", d);
    QDir(one.path() + QStringLiteral("-config")).removeRecursively();
    QDir(one.path() + QStringLiteral("-data")).removeRecursively();
    const bool right = a.unused == a.expectedUnused && b.unused == b.expectedUnused && c.unused == c.expectedUnused
        && d.unused == d.expectedUnused;
    return right ? 0 : 1;
}
