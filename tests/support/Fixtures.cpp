#include "tests/support/Fixtures.h"

#include "platform/DriveMap.h"

#include "platform/Ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Fixtures {

QByteArray vipRaw(const QByteArray &area, const VipOptions &o)
{
    QByteArray b;
    // 96 bytes of a file header that never holds a NUL-free run to confuse
    // anything: the decoder does not look at them.
    for (int i = 0; i < 96; ++i)
        b.append(char(0x20 + (i % 60)));
    b += Ansi::encode(o.header);
    b.append('\0');
    b += area;
    if (o.marker) {
        b += QByteArray(8, '\x02');
        b += "LIST";
        le<quint32>(b, 0x1234);
        b += "mdrl";
    }
    b += o.tail;
    return b;
}

QByteArray vipBytes(const QStringList &paths, const VipOptions &o)
{
    QByteArray area;
    int k = 0;
    for (const QString &p : paths) {
        for (int i = 0; i < o.fillerPerPath; ++i)
            area.append(char((i * 7 + k) % 5 == 0 ? 0 : 0x01 + (i + k) % 9));
        area += Ansi::encode(p);
        area.append('\0');
        ++k;
    }
    return vipRaw(area, o);
}

FileRecord recordOf(const QString &hostPath)
{
    const QString win = DriveMap::instance().toWindows(hostPath);
    if (win.isEmpty())
        return {};
    return FileRecord::take(win[0], QFile::encodeName(hostPath)).value_or(FileRecord());
}

FileRecord recordOfWindows(const QString &windowsPath)
{
    const QString host = DriveMap::instance().toHost(windowsPath);
    if (host.isEmpty())
        return {};
    return FileRecord::take(windowsPath[0], QFile::encodeName(host)).value_or(FileRecord());
}

SafeFs::Folder openFolder(const QString &hostPath)
{
    SafeFs::Check why;
    return SafeFs::Folder::open("/", QFile::encodeName(QDir::cleanPath(hostPath)).mid(1), &why);
}

namespace {

bool timeOf(const QByteArray &path, struct timespec *mtime)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    *mtime = st.st_mtim;
    return true;
}

bool setTime(const QByteArray &path, const struct timespec &mtime)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
    return ::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace

bool rewriteUnseen(const QString &hostPath, const QByteArray &bytes)
{
    const QByteArray path = QFile::encodeName(hostPath);
    struct timespec mtime;
    if (!timeOf(path, &mtime))
        return false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0) == bytes.size();
    ::close(fd);
    return written && setTime(path, mtime);
}

bool replaceLookingTheSame(const QString &hostPath, const QString &keepAs)
{
    const QByteArray path = QFile::encodeName(hostPath);
    struct timespec mtime;
    const qint64 size = QFileInfo(hostPath).size();
    if (!timeOf(path, &mtime) || !QFile::rename(hostPath, keepAs))
        return false;
    return writeFile(hostPath, noise(int(size), 99)) && setTime(path, mtime);
}

bool writeRaw(const QByteArray &hostPath, const QByteArray &bytes)
{
    const int fd = ::open(hostPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

bool writeFile(const QString &hostPath, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(hostPath).absolutePath());
    QFile f(hostPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray noise(int size, quint32 seed)
{
    QByteArray b(size, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = char(x & 0xFF);
    }
    return b;
}

} // namespace Fixtures
