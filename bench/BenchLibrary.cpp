#include "bench/BenchLibrary.h"

#include "platform/DriveMap.h"
#include "tests/support/Fixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>

namespace {

bool put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

} // namespace

Library makeLibrary(const QString &root, const LibrarySpec &spec)
{
    Library lib;
    lib.root = root;
    const int filesPer = std::max(1, spec.files / spec.projects);
    const int usedPer = std::max(1, spec.used / spec.projects);
    const int copiesPer = spec.copies / spec.projects;
    const int missingPer = spec.missing / spec.projects;
    quint32 seed = 1;
    for (int p = 0; p < spec.projects; ++p) {
        const QString folder = root + QStringLiteral("/Proyecto %1").arg(p, 4, 10, QChar(u'0'));
        QStringList audio;
        for (int i = 0; i < filesPer; ++i) {
            // Ten takes a sub-folder, ten sub-folders a folder; every fifth
            // file a peak file beside its take.
            const QString sub = QStringLiteral("/Audio/Sesión %1/Pista %2").arg(i / 100).arg((i / 10) % 10);
            QDir().mkpath(folder + sub);
            const bool peak = i % 5 == 4;
            const QString name = QStringLiteral("Toma %1.%2").arg(i).arg(peak ? QStringLiteral("hdp") : QStringLiteral("wav"));
            const QByteArray bytes = Fixtures::noise(64 + int(i % 7) * 16, seed++);
            put(folder + sub + u'/' + name, bytes);
            ++lib.fileCount;
            if (!peak)
                audio << folder + sub + u'/' + name;
        }
        QStringList used;
        for (int i = 0; i < usedPer && i < audio.size(); ++i)
            used << DriveMap::instance().toWindows(audio[(i * 7) % audio.size()]);
        for (int i = 0; i < missingPer; ++i)
            used << DriveMap::instance().toWindows(folder + QStringLiteral("/Audio/Perdidas/Perdida %1.wav").arg(i));
        // Same-name copies: a third with the same bytes, a third with other
        // bytes of the same size, a third of another size.
        QDir().mkpath(folder + QStringLiteral("/Copias"));
        for (int i = 0; i < copiesPer && i < audio.size(); ++i) {
            const QString original = audio[(i * 7) % audio.size()];
            QFile in(original);
            in.open(QIODevice::ReadOnly);
            QByteArray bytes = in.readAll();
            if (i % 3 == 1 && !bytes.isEmpty())
                bytes[bytes.size() - 1] = char(bytes.back() ^ 0x55);
            else if (i % 3 == 2)
                bytes += "x";
            put(folder + QStringLiteral("/Copias/") + original.section(u'/', -1), bytes);
            ++lib.fileCount;
        }
        Fixtures::VipOptions o;
        o.header = QStringLiteral("Proyecto de prueba %1").arg(p);
        const QString vip = folder + QStringLiteral("/Proyecto %1.vip").arg(p);
        put(vip, Fixtures::vipBytes(used, o));
        lib.projects << vip;
    }
    return lib;
}

double timeCommand(const QString &program, const QStringList &args)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    p.waitForFinished(-1);
    p.readAllStandardOutput();
    const double seconds = t.nsecsElapsed() / 1e9;
    if (p.exitStatus() != QProcess::NormalExit || p.error() == QProcess::FailedToStart)
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
    return seconds;
}
