// The folder road on a large library: 500 project folders (two project files
// each, naming the folder's own takes), with unused takes, same-name copies
// and missing files, opened as a dropped folder through the real main window
// (headless) against `find <tree> -type f` plus `cat` of every project file,
// same run, warm cache. Then the same with twice the folders, to check the
// cost grows linearly. After the timed runs the road's steps are timed one by
// one, through the same routines, so a slow road shows where its time goes.
//   folder_bench [SCALE]     (SCALE multiplies the number of project folders; default 1)
//   folder_bench --make DIR [SCALE]
// The second form only writes the library into DIR (which must not exist),
// its projects naming their files through the drive map of the environment
// (VELMAR_DRIVES), and prints what an analysis of DIR must find; then
// `analysis_bench DIR`, with the same environment, runs the road on it.

#include "app/App.h"
#include "bench/BenchLibrary.h"
#include "main/Analysis.h"
#include "main/Decoder.h"
#include "main/Form1.h"
#include "main/Perdidos.h"
#include "main/ProjectItem.h"
#include "main/Unused.h"
#include "main/UsedList.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "services/ModuleArchivos.h"
#include "tests/support/DialogAnswerer.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kFolders = 500;

// The road's own phases, told apart by the status texts it shows as it goes
// (the clock is read on each change of the status box; nothing is run twice).
struct Phases
{
    double search = -1;   // to the first "Descodificando: " of the found projects
    double usedList = -1; // used list and the walk of every project folder
    double matched = -1;  // match, unused list and missing list, to the status ": "
};

// The same steps run again one by one through the routines the window calls,
// the match with DigestCompare as its content test.
struct Steps
{
    double search = 0;    // the project search (walk of the tree and project test)
    double walk = 0;      // its walk alone, which lets no events run
    double decode = 0;    // the used list: every project decoded, duplicates removed
    double inventory = 0; // the walk of every project folder (no events run either)
    double matchDigest = 0; // inventory lines against the used list
    double unused = 0;    // the unused list from what is left
    double missing = 0;   // the missing-files list
    qint64 compares = 0;  // content tests the match asked for
    bool sameResult = false;
    double compareUs = 0, digestCompareUs = 0;
};

struct Figures
{
    int folders = 0;
    qint64 files = 0;
    double road = 0, findCat = 0;
    qint64 gap = 0;
    int projects = 0, used = 0, unused = 0, missing = 0;
    Library lib;
    Phases phases;
    Steps steps;
};

// Path lines of a result list: headers, dash lines and blank spacers left out.
int pathLines(const QStringList &lines)
{
    int n = 0;
    for (const QString &l : lines) {
        if (!l.trimmed().isEmpty() && !l.contains(u'>') && !l.contains(QStringLiteral("----------")))
            ++n;
    }
    return n;
}

// The content test as the match could make it: each file looked at and
// opened once, its size and a digest of its first block kept, so a take
// compared with the same-name takes of every other folder costs two look-ups
// a pair instead of two opens and reads. Files of equal size and digest
// still go through the byte-for-byte test. The same answers as
// Unused::compareFiles, in the same order of tests, for files that do not
// change during the match.
class DigestCompare
{
public:
    Unused::Comparison operator()(const QString &a, const QString &b)
    {
        if (a.isEmpty() || b.isEmpty())
            return {};
        // Copies: a second look-up may move the first's entry.
        const Info ia = info(a);
        const Info ib = info(b);
        if (ia.exists && ib.exists && ia.id == ib.id)
            return {Unused::Sameness::Identical, {}};
        if (!ia.opened)
            return {Unused::Sameness::Unreadable, a};
        if (!ib.opened)
            return {Unused::Sameness::Unreadable, b};
        if (ia.size != ib.size)
            return {};
        if (!ia.headRead)
            return {Unused::Sameness::Unreadable, a};
        if (!ib.headRead)
            return {Unused::Sameness::Unreadable, b};
        if (ia.digest != ib.digest)
            return {};
        return Unused::compareFiles(a, b);
    }

private:
    struct Info
    {
        bool exists = false; // a file or folder (what the same-file test looks at)
        bool opened = false;
        bool headRead = false; // its first block could be read
        qint64 size = -1;
        WinFs::FileId id;
        QByteArray digest;
    };

    const Info &info(const QString &path)
    {
        auto it = m_info.constFind(path);
        if (it != m_info.constEnd())
            return *it;
        constexpr qint64 kHead = 64 * 1024;
        Info i;
        const WinFs::FileStat st = WinFs::statPath(path);
        i.exists = st.isFile || st.isDir;
        i.id = st.id;
        QFile f(WinFs::hostPath(path));
        if (f.open(QIODevice::ReadOnly)) {
            i.opened = true;
            i.size = f.size();
            const QByteArray head = f.read(std::min(i.size, kHead));
            i.headRead = head.size() == std::min(i.size, kHead);
            i.digest = QCryptographicHash::hash(head, QCryptographicHash::Sha1);
        }
        return *m_info.insert(path, i);
    }

    QHash<QString, Info> m_info;
};

// Microseconds a call of `compare` takes on two files of the same size and
// other bytes, the commonest pair the match meets in this library.
template<typename Compare>
double microsPerCompare(Compare compare, const QString &a, const QString &b)
{
    constexpr int kCalls = 2000;
    Stopwatch t;
    for (int i = 0; i < kCalls; ++i)
        compare(a, b);
    return t.seconds() * 1e6 / kCalls;
}

// The road's steps one by one, through the routines the window calls; the
// match with DigestCompare, its unused list checked against the road's.
Steps timeSteps(const QString &folder, const Library &lib, const QStringList &roadUnused)
{
    Steps s;
    NoProgress none;
    Form1 &f = form1();
    f.Inicio();
    WinFs::clearCache();
    Stopwatch t;
    QStringList vips;
    ModuleArchivos::BuscarArchivos(folder, QStringLiteral("*.vip"), vips);
    s.walk = t.seconds();
    WinFs::clearCache();
    t.start();
    const QStringList projects = searchProjects(folder, none);
    s.search = t.seconds();

    t.start();
    QStringList items;
    for (int i = 0; i < projects.size(); ++i)
        items << ProjectItem::make(i + 1, projects[i]);
    Decoder::State st;
    QStringList used;
    for (const QString &item : std::as_const(items))
        Decoder::ExtraerNombres_Archivos(ProjectItem::path(item), &used, UsedList::headerLine(item), true, st, none);
    UsedList::removeDuplicates(used, {});
    used = UsedList::spaced(used);
    s.decode = t.seconds();

    t.start();
    ModuleArchivos::Inventory inventory;
    for (const QString &fold : Unused::projectFolders(items))
        ModuleArchivos::BuscarArchivos(fold, Unused::patterns(), inventory, nullptr);
    s.inventory = t.seconds();

    t.start();
    qint64 compares = 0;
    auto digest = std::make_shared<DigestCompare>();
    Unused::Matcher matcher(used, [&compares, digest](const QString &a, const QString &b) {
        ++compares;
        return (*digest)(a, b);
    });
    Unused::removeUsed(inventory.entries, matcher, none);
    s.matchDigest = t.seconds();
    s.compares = compares;

    t.start();
    const Unused::UnusedEntries unused = Unused::unusedAudio(inventory.entries, none);
    s.unused = t.seconds();
    QStringList unusedLines;
    for (const Unused::InventoryEntry &e : unused.lines)
        unusedLines << e.line;
    s.sameResult = unusedLines == roadUnused;

    t.start();
    Unused::missingList(
        used, [](const QString &p) { return !WinFs::findNormalFile(p); }, [] { return false; });
    s.missing = t.seconds();
    unloadForm1();

    // One pair of same-name takes of two folders: same size, other bytes.
    if (lib.folders.size() >= 2) {
        const QString take = QStringLiteral("/Audio/Sesión 0/Pista 0/Toma 0.wav");
        const QString a = DriveMap::instance().toWindows(lib.folders[0] + take);
        const QString b = DriveMap::instance().toWindows(lib.folders[1] + take);
        s.compareUs = microsPerCompare(Unused::compareFiles, a, b);
        DigestCompare cached;
        s.digestCompareUs = microsPerCompare(cached, a, b);
    }
    return s;
}

// The unused-files benchmark's library dealt out over 500 project folders
// (times `scale`), two project files each, fifty folders to a group folder.
LibrarySpec specFor(double scale)
{
    LibrarySpec spec;
    spec.projects = std::max(1, int(kFolders * scale + 0.5));
    spec.vipsPerFolder = 2;
    spec.perGroup = 50;
    const double share = double(spec.projects) / kFolders;
    spec.files = int(spec.files * share);
    spec.used = int(spec.used * share);
    spec.copies = int(spec.copies * share);
    spec.missing = int(spec.missing * share);
    return spec;
}

Figures measure(const QString &root, double scale)
{
    const LibrarySpec spec = specFor(scale);
    Figures fig;
    fig.lib = makeLibrary(root, spec);
    fig.folders = spec.projects;
    fig.files = fig.lib.fileCount;
    const QString folder = DriveMap::instance().toWindows(root);

    auto findCat = [&] {
        return timeCommand(QStringLiteral("find"), {root, QStringLiteral("-type"), QStringLiteral("f")})
            + timeCommand(QStringLiteral("cat"), fig.lib.projects);
    };
    // The library's writes go to the disk first: a flush running behind the
    // measures would slow both sides at random.
    timeCommand(QStringLiteral("sync"), {});
    findCat(); // warm the cache
    fig.findCat = std::min(findCat(), findCat());

    // The best of two runs, or of one when a run is long enough for the
    // noise not to matter.
    fig.road = 1e9;
    QStringList roadUnused;
    for (int run = 0; run < 2 && (run == 0 || fig.road < 10); ++run) {
        Form1 &f = form1();
        f.Inicio();
        DialogAnswerer answer; // nothing should ask; a question must not hang the run
        answer.setPrintMessages(true);
        Phases phases;
        Stopwatch t;
        const QMetaObject::Connection watch = QObject::connect(f.TextDecode, &QPlainTextEdit::textChanged, [&] {
            const QString text = f.TextDecode->toPlainText();
            if (phases.search < 0 && text.startsWith(QStringLiteral("Descodificando: ")))
                phases.search = t.seconds();
            else if (phases.usedList < 0 && text.startsWith(QStringLiteral("Buscando archivos no utilizados")))
                phases.usedList = t.seconds();
            else if (phases.usedList >= 0 && phases.matched < 0 && text == QStringLiteral(": "))
                phases.matched = t.seconds();
        });
        EventPump::resetGapStats();
        t.start();
        f.AbrirRuta(folder);
        const double s = t.seconds();
        QObject::disconnect(watch);
        if (s < fig.road) {
            fig.road = s;
            fig.gap = EventPump::longestGapMs();
            fig.phases = phases;
        }
        fig.projects = f.ListProyectos->count();
        fig.used = pathLines(Form1::lines(f.ListUtilizados));
        fig.unused = f.ListBorrar->count();
        fig.missing = perdidosLoaded() ? pathLines(Form1::lines(perdidos().ListPerdidos)) : 0;
        roadUnused = Form1::lines(f.ListBorrar);
        if (!f.analysis()->unreadableProjects.isEmpty())
            std::fprintf(stderr, "unreadable projects: %lld\n",
                         static_cast<long long>(f.analysis()->unreadableProjects.size()));
        unloadPerdidos();
        unloadForm1();
    }
    fig.steps = timeSteps(folder, fig.lib, roadUnused);
    return fig;
}

void print(const char *label, const Figures &f)
{
    const Library &l = f.lib;
    const bool real = f.projects == l.projects.size() && f.used == l.usedPaths && f.unused == l.unusedAudio
        && f.missing == l.missingPaths;
    std::printf("%s: folders=%d project_files=%d files=%lld\n", label, f.folders, f.projects,
                static_cast<long long>(f.files));
    std::printf("  lines: projects=%d used=%d unused=%d missing=%d (expected %lld/%d/%d/%d: %s)\n", f.projects,
                f.used, f.unused, f.missing, static_cast<long long>(l.projects.size()), l.usedPaths, l.unusedAudio,
                l.missingPaths, real ? "ok" : "MISMATCH");
    std::printf("  road_s=%.3f per_folder_ms=%.2f per_project_file_ms=%.2f find_cat_s=%.3f ratio=%.2f "
                "longest_event_gap_ms=%lld (goal < 50: %s)\n",
                f.road, f.road * 1000 / f.folders, f.road * 1000 / std::max(1, f.projects), f.findCat,
                f.road / f.findCat, static_cast<long long>(f.gap), f.gap < 50 ? "met" : "FAILED");
    const Phases &p = f.phases;
    std::printf("  road phases_s: search=%.3f used_list+inventory=%.3f match+unused+missing=%.3f rest=%.3f\n",
                p.search, p.usedList - p.search, p.matched - p.usedList, f.road - p.matched);
    const Steps &s = f.steps;
    std::printf("  steps_s: search=%.3f (its walk, no events: %.3f) decode=%.3f inventory (no events)=%.3f "
                "match_with_digests=%.3f (content_tests=%lld, unused list %s) unused=%.3f missing=%.3f\n",
                s.search, s.walk, s.decode, s.inventory, s.matchDigest, static_cast<long long>(s.compares),
                s.sameResult ? "same as the road's" : "DIFFERS from the road's", s.unused, s.missing);
    std::printf("  one content test of two same-size takes: window's %.1f us, with digests %.2f us\n", s.compareUs,
                s.digestCompareUs);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // --make DIR [SCALE]: only write the library, for analysis_bench.
    if (argc > 2 && std::strcmp(argv[1], "--make") == 0) {
        QCoreApplication app(argc, argv);
        const QString dir = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
        const double scale = argc > 3 ? std::max(0.002, atof(argv[3])) : 1.0;
        if (QFileInfo::exists(dir)) {
            std::fprintf(stderr, "folder_bench: %s already exists\n", qPrintable(dir));
            return 2;
        }
        const Library lib = makeLibrary(dir, specFor(scale));
        std::printf("folders=%lld projects=%lld files=%lld used=%d unused=%d missing_lines=%d\n",
                    static_cast<long long>(lib.folders.size()), static_cast<long long>(lib.projects.size()),
                    static_cast<long long>(lib.fileCount), lib.usedPaths, lib.unusedAudio, lib.missingPaths);
        return 0;
    }
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return 1;
    // The window's settings go to the temporary folder, not the user's.
    qputenv("XDG_CONFIG_HOME", (tmp.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (tmp.path() + QStringLiteral("/data")).toLocal8Bit());
    QApplication app(argc, argv);
    App::setup();
    const double scale = argc > 1 ? std::max(0.002, atof(argv[1])) : 1.0;

    // The libraries sit on drive D:, as a user's audio disk would.
    const QString drive = tmp.path() + QStringLiteral("/D");
    QDir().mkpath(drive);
    qputenv("VELMAR_DRIVES", ("D=" + drive).toLocal8Bit());
    DriveMap::instance().reload();

    const Figures a = measure(drive + QStringLiteral("/Biblioteca"), scale);
    print("library", a);
    std::fflush(stdout);
    const Figures b = measure(drive + QStringLiteral("/Biblioteca doble"), scale * 2);
    print("doubled", b);
    std::printf("growth=%.2f (linear: about 2)\n", b.road / a.road);
    return 0;
}
