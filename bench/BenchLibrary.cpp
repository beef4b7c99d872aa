#include "bench/BenchLibrary.h"

#include "platform/DriveMap.h"
#include "tests/support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>

#include <algorithm>
#include <numeric>
#include <cstdio>

namespace {

bool put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

// One folder's share of the library.
struct Share
{
    int files = 0;
    int used = 0;
    int copies = 0;
    int missing = 0;
    int vips = 1;
    bool flat = false;
};

// Writes one project folder: its audio tree, its project files, its copies;
// adds what an analysis must find to `lib`. `seed` runs on from folder to
// folder so no two takes have the same bytes.
void makeProjectFolder(const QString &folder, int index, const Share &share, quint32 &seed, Library &lib)
{
    QStringList audio;
    for (int i = 0; i < share.files; ++i) {
        // Ten takes a sub-folder, ten sub-folders a folder (or all in one);
        // every fifth file a peak file beside its take.
        const QString sub = share.flat ? QStringLiteral("/Audio")
                                       : QStringLiteral("/Audio/Sesión %1/Pista %2").arg(i / 100).arg((i / 10) % 10);
        if (i == 0 || !share.flat)
            QDir().mkpath(folder + sub);
        const bool peak = i % 5 == 4;
        const QString name = QStringLiteral("Toma %1.%2").arg(i).arg(peak ? QStringLiteral("hdp") : QStringLiteral("wav"));
        const QByteArray bytes = Fixtures::noise(64 + int(i % 7) * 16, seed++);
        put(folder + sub + u'/' + name, bytes);
        ++lib.fileCount;
        if (!peak)
            audio << folder + sub + u'/' + name;
    }
    // Used takes and copies are spread over the folder in steps of seven
    // (or the next odd step that visits every take once).
    int step = 7;
    while (std::gcd(step, int(std::max<qsizetype>(audio.size(), 1))) != 1)
        step += 2;
    QStringList used;
    QSet<int> usedIndex;
    for (int i = 0; i < share.used && i < audio.size(); ++i) {
        const int at = int(qint64(i) * step % audio.size());
        used << DriveMap::instance().toWindows(audio[at]);
        usedIndex.insert(at);
    }
    QStringList missing;
    for (int i = 0; i < share.missing; ++i)
        missing << DriveMap::instance().toWindows(folder + QStringLiteral("/Audio/Perdidas/Perdida %1.wav").arg(i));
    lib.usedPaths += int(usedIndex.size()) + share.missing;
    lib.missingPaths += share.missing;
    lib.unusedAudio += int(audio.size() - usedIndex.size());

    // Same-name copies: half with the same bytes, half with other bytes of
    // the same size (every one must be compared with its original). Only a
    // copy with the bytes of a used take counts as used.
    QDir().mkpath(folder + QStringLiteral("/Copias"));
    QHash<QString, bool> copyUsed;
    for (int i = 0; i < share.copies && i < audio.size(); ++i) {
        const int at = int(qint64(i) * step % audio.size());
        const QString &original = audio[at];
        QFile in(original);
        in.open(QIODevice::ReadOnly);
        QByteArray bytes = in.readAll();
        if (i % 2 == 1 && !bytes.isEmpty())
            bytes[bytes.size() - 1] = char(bytes.back() ^ 0x55);
        const QString name = original.section(u'/', -1);
        put(folder + QStringLiteral("/Copias/") + name, bytes);
        if (!copyUsed.contains(name))
            ++lib.fileCount;
        copyUsed[name] = i % 2 == 0 && usedIndex.contains(at);
        lib.compared << original << folder + QStringLiteral("/Copias/") + name;
    }
    for (const bool u : std::as_const(copyUsed))
        lib.unusedAudio += u ? 0 : 1;

    // The project files: the used takes dealt out in turn, the first three
    // named by every project, the missing paths by the first.
    for (int v = 0; v < share.vips; ++v) {
        QStringList paths;
        for (int i = 0; i < used.size(); ++i) {
            if (i % share.vips == v || i < 3)
                paths << used[i];
        }
        if (v == 0)
            paths << missing;
        Fixtures::VipOptions o;
        o.header = QStringLiteral("Proyecto de prueba %1").arg(index);
        const QString base = folder + QStringLiteral("/Proyecto %1").arg(index, 4, 10, QChar(u'0'));
        const QString vip = v == 0 ? base + QStringLiteral(".vip") : base + QStringLiteral(" mezcla %1.vip").arg(v);
        put(vip, Fixtures::vipBytes(paths, o));
        lib.projects << vip;
    }
    lib.folders << folder;
}

} // namespace

Library makeLibrary(const QString &root, const LibrarySpec &spec)
{
    Library lib;
    lib.root = root;
    const int projects = std::max(1, spec.projects);
    Share share;
    share.files = std::max(1, spec.files / projects);
    share.used = std::max(1, spec.used / projects);
    share.copies = spec.copies / projects;
    share.missing = spec.missing / projects;
    share.vips = std::max(1, spec.vipsPerFolder);
    share.flat = spec.flat;
    quint32 seed = 1;
    for (int p = 0; p < projects; ++p) {
        QString folder = root;
        if (spec.perGroup > 0)
            folder += QStringLiteral("/Grupo %1").arg(p / spec.perGroup);
        folder += QStringLiteral("/Proyecto %1").arg(p, 4, 10, QChar(u'0'));
        makeProjectFolder(folder, p, share, seed, lib);
    }
    return lib;
}

double timeCommand(const QString &program, const QStringList &args)
{
    Stopwatch t;
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    p.waitForFinished(-1);
    p.readAllStandardOutput();
    const double seconds = t.seconds();
    if (p.exitStatus() != QProcess::NormalExit || p.error() == QProcess::FailedToStart)
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
    return seconds;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
