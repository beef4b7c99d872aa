// The open road on a large library: one project using 20,000 of the 60,000
// files of its folder tree, with same-name copies and missing files, opened
// through the real main window (headless) against `find <folder> -type f`
// plus `cat` of the project, same run, warm cache. Then the same with the
// library doubled, to check the cost grows linearly.
//   unused_bench [SCALE]     (SCALE multiplies the library; default 1)

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
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class PumpingProgress final : public Progress
{
public:
    void setRange(qint64, qint64) override {}
    void setValue(qint64) override {}
    bool cancelled() const override { return false; }
};

struct Figures
{
    qint64 files = 0;
    double road = 0, findCat = 0, inventory = 0;
    qint64 roadGap = 0, matchGap = 0;
    int unused = 0;
};

Figures measure(const QString &root, double scale)
{
    LibrarySpec spec;
    spec.files = int(spec.files * scale);
    spec.used = int(spec.used * scale);
    spec.copies = int(spec.copies * scale);
    spec.missing = int(spec.missing * scale);
    const Library lib = makeLibrary(root, spec);
    const QString project = lib.projects.first();
    const QString folder = QFileInfo(project).absolutePath();

    Figures fig;
    fig.files = lib.fileCount;
    auto findCat = [&] {
        return timeCommand(QStringLiteral("find"), {folder, QStringLiteral("-type"), QStringLiteral("f")})
            + timeCommand(QStringLiteral("cat"), {project});
    };
    findCat(); // warm the cache
    fig.findCat = std::min(findCat(), findCat());

    fig.road = 1e9;
    for (int run = 0; run < 2; ++run) {
        Form1 &f = form1();
        f.Inicio();
        DialogAnswerer answer;
        answer.queuePath(project);
        Stopwatch t;
        // The clock starts when the file dialog has been answered.
        QObject::connect(&answer, &DialogAnswerer::dialogAnswered, &answer, [&t] {
            t.start();
            EventPump::resetGapStats();
        });
        f.AbrirFichero_Click();
        fig.road = std::min(fig.road, t.seconds());
        fig.roadGap = EventPump::longestGapMs();
        fig.unused = f.ListBorrar->count();
        const QStringList used = Form1::lines(f.ListUtilizados);

        // The two phases apart: the inventory (no events by design) and the
        // match with the event pump.
        WinFs::clearCache();
        Stopwatch inv;
        QStringList inventory;
        QSet<QString> folders, links;
        ModuleArchivos::BuscarArchivos(DriveMap::instance().toWindows(folder), Unused::patterns(), inventory, &folders,
                                       &links);
        fig.inventory = inv.seconds();
        Unused::Matcher matcher(used);
        PumpingProgress progress;
        EventPump::resetGapStats();
        Unused::removeUsed(inventory, matcher, progress, &links);
        fig.matchGap = EventPump::longestGapMs();
        unloadForm1();
    }
    return fig;
}

void print(const char *label, const Figures &f)
{
    std::printf("%s: files=%lld unused=%d road_s=%.3f find_cat_s=%.3f ratio=%.2f per_10k_files_s=%.3f "
                "inventory_s=%.3f road_longest_gap_ms=%lld match_longest_gap_ms=%lld\n",
                label, static_cast<long long>(f.files), f.unused, f.road, f.findCat, f.road / f.findCat,
                f.road * 10000.0 / double(f.files), f.inventory, static_cast<long long>(f.roadGap),
                static_cast<long long>(f.matchGap));
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    App::setup();
    const double scale = argc > 1 ? std::max(0.01, atof(argv[1])) : 1.0;

    QTemporaryDir one, two;
    const Figures a = measure(one.path(), scale);
    print("library", a);
    const Figures b = measure(two.path(), scale * 2);
    print("doubled", b);
    std::printf("growth=%.2f (linear: at most 2.3)\n", b.road / a.road);
    return 0;
}
