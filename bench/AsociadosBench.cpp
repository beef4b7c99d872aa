// The associated-files scan on a large generated tree: 5,000 folders and
// 100,000 files, a quarter of them peak and cache files of several audio
// types. The scan, its listing and its totals (which need every listed
// file's size) are timed through the real window (a folder dropped on its
// list, headless) and through the scan routine alone, against
// `find TREE -type f -printf '%s\n'` over the same tree in the same run,
// warm cache, best of three. Then the same with twice the tree, to check
// that the cost grows linearly, and the longest time the window's events
// waited during the scans.
//   asociados_bench [SCALE]   (SCALE multiplies the tree; default 1)

#include "app/App.h"
#include "bench/BenchLibrary.h"
#include "cleanup/Asociados.h"
#include "cleanup/Form2.h"
#include "main/Form1.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kFilesPerFolder = 20;

struct Tree
{
    int folders = 0;        // below the root
    qint64 files = 0;
    qint64 associated = 0;  // what the scan must list (every type selected)
};

// Writes one small file; its size varies from file to file.
bool writeFile(const QByteArray &path, int size)
{
    static const QByteArray bytes(4096, 'x');
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(size)) == size;
    ::close(fd);
    return ok;
}

// Groups of projects of tracks: 50 groups x (1 + 9 projects x (1 + 10
// tracks)) = 5,000 folders at scale 1, twenty files in each: fifteen audio
// and other files, five associated files of several types.
Tree makeTree(const QString &root, double scale)
{
    static const char *const names[kFilesPerFolder] = {
        "Toma 1.wav", "Toma 1.h2",  "Toma 1.hdp", "Toma 2.mp3", "Toma 2.hmp", "Toma 3.ogg", "Toma 3.hgp",
        "Toma 4.wav", "Toma 4.hz",  "Toma 5.wav", "Toma 6.wav", "Toma 7.wav", "Toma 8.wav", "Mezcla.wav",
        "Notas.txt",  "Toma 9.aif", "Toma 10.flac", "Toma 11.mp3", "Proyecto.vip", "Portada.jpg"};
    int associatedPerFolder = 0;
    General::Tabla all = Asociados::tabla({true, true, true, true, true});
    for (const char *n : names)
        associatedPerFolder += Asociados::esAsociado(QString::fromLatin1(n), all);
    Tree t;
    const int groups = std::max(1, int(50 * scale));
    int n = 0;
    const auto folder = [&](const QString &path) {
        QDir().mkpath(path);
        ++t.folders;
        const QByteArray base = QFile::encodeName(path) + '/';
        for (int i = 0; i < kFilesPerFolder; ++i) {
            if (!writeFile(base + names[i], 100 + (n * 37 + i * 911) % 3000))
                std::fprintf(stderr, "asociados_bench: cannot write under %s\n", qPrintable(path));
            ++n;
        }
        t.files += kFilesPerFolder;
        t.associated += associatedPerFolder;
    };
    for (int g = 1; g <= groups; ++g) {
        const QString group = root + QStringLiteral("/Grupo %1").arg(g);
        folder(group);
        for (int p = 1; p <= 9; ++p) {
            const QString project = group + QStringLiteral("/Proyecto %1").arg(p);
            folder(project);
            for (int k = 1; k <= 10; ++k)
                folder(project + QStringLiteral("/Pista %1").arg(k));
        }
    }
    return t;
}

struct Figures
{
    Tree tree;
    double find = 1e9, window = 1e9, core = 1e9;
    qint64 gap = 0;
    qint64 listed = 0, walked = 0;
};

Figures measure(const QString &root, double scale)
{
    Figures f;
    f.tree = makeTree(root, scale);
    const QString windows = DriveMap::instance().toWindows(root);
    timeCommand(QStringLiteral("find"), {root, QStringLiteral("-type"), QStringLiteral("f")}); // warm the cache
    for (int run = 0; run < 3; ++run) {
        f.find = std::min(f.find, timeCommand(QStringLiteral("find"), {root, QStringLiteral("-type"), QStringLiteral("f"),
                                                                      QStringLiteral("-printf"), QStringLiteral("%s\n")}));

        NoProgress quiet;
        QElapsedTimer t;
        t.start();
        Asociados::Resultado r = Buscar::BuscarAsociados(windows, Asociados::tabla({true, true, true, true, true}), quiet);
        Asociados::totales(r.lines);
        f.core = std::min(f.core, t.nsecsElapsed() / 1e9);

        Form2 &w = form2();
        w.show();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(root)});
        EventPump::resetGapStats();
        t.start();
        w.ListAsociados_OLEDragDrop(&data);
    // The work after the scan's last event run counts too.
    EventPump::pumpNow();
        const double s = t.nsecsElapsed() / 1e9;
        // The figures of the fastest run (another program's load shows as
        // both a slower run and a longer gap).
        if (s < f.window) {
            f.window = s;
            f.gap = EventPump::longestGapMs();
        }
        f.listed = General::NumAsociados;
        f.walked = General::NumCarpetasEscaneadas;
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return f;
}

bool print(const char *label, const Figures &f)
{
    const bool right = f.listed == f.tree.associated && f.walked == f.tree.folders + 1;
    std::printf("%s: folders=%d files=%lld associated=%lld (listed %lld, walked %lld: %s)\n", label, f.tree.folders,
                static_cast<long long>(f.tree.files), static_cast<long long>(f.tree.associated),
                static_cast<long long>(f.listed), static_cast<long long>(f.walked), right ? "ok" : "MISMATCH");
    std::printf("  window_s=%.3f scan_alone_s=%.3f find_s=%.3f ratio=%.2f (scan alone %.2f) "
                "longest_event_gap_ms=%lld\n",
                f.window, f.core, f.find, f.window / f.find, f.core / f.find, static_cast<long long>(f.gap));
    return right;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return 1;
    // The window's settings and the trash go to the temporary folder.
    qputenv("XDG_CONFIG_HOME", (tmp.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (tmp.path() + QStringLiteral("/data")).toLocal8Bit());
    QApplication app(argc, argv);
    App::setup();
    const double scale = argc > 1 ? std::max(0.01, atof(argv[1])) : 1.0;
    const QString drive = tmp.path() + QStringLiteral("/D");
    QDir().mkpath(drive);
    qputenv("VELMAR_DRIVES", ("D=" + drive).toLocal8Bit());
    DriveMap::instance().reload();
    // Every audio type selected: every kind of associated file is listed.
    for (int i = 0; i < 5; ++i)
        Settings::set(Form2::filterKey(i), QStringLiteral("True"));
    form1().Inicio();

    const Figures a = measure(drive + QStringLiteral("/Biblioteca"), scale);
    bool ok = print("tree", a);
    std::fflush(stdout);
    const Figures b = measure(drive + QStringLiteral("/Biblioteca doble"), scale * 2);
    ok = print("doubled", b) && ok;
    const double growth = b.window / a.window;
    std::printf("growth=%.2f (linear: about 2; at most 2.3)\n", growth);
    const bool within = a.window / a.find <= 2 && b.window / b.find <= 2 && growth <= 2.3 && a.gap < 50 && b.gap < 50;
    std::printf("within_limits=%s\n", within ? "yes" : "no");
    return ok ? 0 : 1;
}
