// The search for every project under a folder ("*.vip", any depth), as the
// main window runs it, against `find <folder> -iname '*.vip'` on the same
// tree, same run, warm cache.
//   find_bench [SCALE]     (SCALE multiplies the library; default 1)

#include "bench/BenchLibrary.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "services/FindFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double scale = argc > 1 ? std::max(0.1, QString::fromLocal8Bit(argv[1]).toDouble()) : 1.0;
    QTemporaryDir dir;
    LibrarySpec shape;
    shape.projects = 40;
    shape.files = int(100000 * scale);
    shape.used = 100;
    shape.copies = int(3000 * scale);
    shape.missing = 0;
    const Library lib = makeLibrary(dir.path(), shape);
    const QString folder = DriveMap::instance().toWindows(lib.root);

    const QStringList findArgs = {lib.root, QStringLiteral("-iname"), QStringLiteral("*.vip")};
    timeCommand(QStringLiteral("find"), findArgs); // warm the cache
    const double find = std::min(timeCommand(QStringLiteral("find"), findArgs),
                                 timeCommand(QStringLiteral("find"), findArgs));

    cFindFiles finder;
    double best = 1e9;
    qint64 gap = 0;
    for (int run = 0; run < 3; ++run) {
        EventPump::resetGapStats();
        Stopwatch t;
        finder.Find(folder, QStringLiteral("*.vip"), QString(), 1);
        best = std::min(best, t.seconds());
        gap = std::max(gap, EventPump::longestGapMs());
    }
    std::printf("find_projects: files=%lld folders=%d found=%d search_s=%.3f find_s=%.3f ratio=%.2f "
                "longest_event_gap_ms=%lld (goal < 50: %s)\n",
                lib.fileCount, finder.DirCount(), finder.FilesCount(), best, find, best / find, gap,
                gap < 50 ? "met" : "FAILED");
    return finder.FilesCount() == shape.projects ? 0 : 1;
}
