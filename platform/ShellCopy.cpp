#include "platform/ShellCopy.h"

#include "platform/Ask.h"
#include "platform/EventPump.h"
#include "platform/FileRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <stdio.h>
#include <unistd.h>

namespace ShellCopy {
namespace {

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

ShellResult copyInto(const QString &sourceHost, const QString &folderHost)
{
    const QString title = QStringLiteral("Copiar archivo");
    const QFileInfo src(sourceHost);
    if (!src.isFile())
        return ShellResult::failed(QStringLiteral("No se encuentra el archivo de origen: ") + sourceHost);
    const QString folder = QDir::cleanPath(folderHost);
    if (!QFileInfo(folder).isDir()) {
        if (QFileInfo::exists(folder))
            return ShellResult::failed(QStringLiteral("El destino no es una carpeta: ") + folder);
        if (!Ask::yes(title, QStringLiteral("La carpeta ") + folder + QStringLiteral(" no existe.\r\n¿Desea crearla?")))
            return ShellResult::declined();
        if (!QDir().mkpath(folder))
            return ShellResult::failed(QStringLiteral("No se puede crear la carpeta: ") + folder);
    }
    const QString target = folder + u'/' + src.fileName();
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        if (sameFile(sourceHost, target))
            return ShellResult::failed(QStringLiteral("El origen y el destino son el mismo archivo: ") + target);
        if (QFileInfo(target).isDir())
            return ShellResult::failed(QStringLiteral("Ya existe una carpeta con ese nombre: ") + target);
        if (!Ask::yes(title, QStringLiteral("Ya existe el archivo ") + target
                                 + QStringLiteral("\r\n¿Desea reemplazarlo?")))
            return ShellResult::declined();
    }

    QFile in(sourceHost);
    if (!in.open(QIODevice::ReadOnly))
        return ShellResult::failed(QStringLiteral("No se puede leer: ") + sourceHost + QStringLiteral(" (")
                                   + in.errorString() + u')');
    QTemporaryFile out(folder + QStringLiteral("/.velmar-copia-XXXXXX"));
    if (!out.open())
        return ShellResult::failed(QStringLiteral("No se puede escribir en: ") + folder + QStringLiteral(" (")
                                   + out.errorString() + u')');
    QByteArray block;
    for (;;) {
        block = in.read(1 << 20);
        if (block.isEmpty())
            break;
        if (out.write(block) != block.size())
            return ShellResult::failed(QStringLiteral("Error al escribir la copia en ") + folder + QStringLiteral(" (")
                                       + out.errorString() + u')');
    }
    if (in.error() != QFile::NoError)
        return ShellResult::failed(QStringLiteral("Error al leer: ") + sourceHost);
    if (!out.flush() || ::fsync(out.handle()) != 0)
        return ShellResult::failed(QStringLiteral("Error al escribir la copia en ") + folder);
    out.setFileTime(src.lastModified(), QFileDevice::FileModificationTime);
    out.setPermissions(src.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    // rename() replaces an existing target in one step: a reader never sees
    // half a file, and the old one stays if the rename fails.
    const QString temp = out.fileName();
    out.close();
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
        return ShellResult::failed(QStringLiteral("No se puede crear: ") + target + QStringLiteral(" (")
                                   + QString::fromLocal8Bit(strerror(errno)) + u')');
    out.setAutoRemove(false);
    return ShellResult::ok();
}

namespace {

constexpr qint64 kBlock = 1 << 20;

QString systemError(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// Reads exactly `size` bytes at `offset`; false on an error or a short file.
bool readFully(int fd, char *into, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t got = ::pread(fd, into, size_t(size), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        into += got;
        size -= got;
        offset += got;
    }
    return true;
}

// Whether one flush of the whole file system (syncfs) brings every file
// written there to the disk, the disk's own cache included. True of the
// journalling file systems whose flush commits their journal; not of every
// one (a FUSE mount such as an NTFS driver, FAT, network shares): those get
// a flush of each file, as a single copy does.
bool wholeFlushIsEnough(int folderFd)
{
    struct statfs fs;
    if (::fstatfs(folderFd, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC: // ext2, ext3 and ext4 alike
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
        return true;
    default:
        return false;
    }
}

} // namespace

struct Batch::Entry
{
    FileRecord record;
    QString source;
    QString target;
    qint64 size = 0;
    std::unique_ptr<QTemporaryFile> copy;
};

Batch::Batch(const QString &folderHost) : m_folder(QDir::cleanPath(folderHost)) {}

Batch::~Batch()
{
    // Copies never committed go with their temporary files.
    m_entries.clear();
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

ShellResult Batch::add(const FileRecord &record, const QString &name)
{
    const QString sourceHost = QFile::decodeName(record.host());
    if (m_folderFd < 0) {
        // Opened before the copies are written, so that the flush in commit()
        // reports a write error of any of them.
        m_folderFd = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_folderFd < 0)
            return ShellResult::failed(QStringLiteral("No se puede escribir en: ") + m_folder + QStringLiteral(" (")
                                       + systemError(errno) + u')');
    }
    SafeFs::Check why;
    const int fd = SafeFs::openForReading(record, &why);
    if (fd < 0)
        return why.result();
    QFile in;
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ShellResult::failed(QStringLiteral("No se puede leer: ") + sourceHost);
    }
    struct stat st;
    if (::fstat(in.handle(), &st) != 0 || !S_ISREG(st.st_mode))
        return ShellResult::failed(QStringLiteral("No se encuentra el archivo de origen: ") + sourceHost);
    auto e = std::make_unique<Entry>();
    e->record = record;
    e->source = sourceHost;
    e->target = m_folder + u'/' + name;
    e->copy = std::make_unique<QTemporaryFile>(m_folder + QStringLiteral("/.velmar-copia-XXXXXX"));
    if (!e->copy->open())
        return ShellResult::failed(QStringLiteral("No se puede escribir en: ") + m_folder + QStringLiteral(" (")
                                   + e->copy->errorString() + u')');
    m_a.resize(size_t(std::clamp<qint64>(qint64(st.st_size), 1, kBlock)));
    for (;;) {
        const qint64 got = in.read(m_a.data(), qint64(m_a.size()));
        if (got < 0)
            return ShellResult::failed(QStringLiteral("Error al leer: ") + sourceHost);
        if (got == 0)
            break;
        if (e->copy->write(m_a.data(), got) != got)
            return ShellResult::failed(QStringLiteral("Error al escribir la copia en ") + m_folder
                                       + QStringLiteral(" (") + e->copy->errorString() + u')');
        e->size += got;
    }
    if (!e->copy->flush())
        return ShellResult::failed(QStringLiteral("Error al escribir la copia en ") + m_folder);
    // The copy keeps the source's modification time and permissions (and
    // stays readable and writable by its owner).
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::futimens(e->copy->handle(), times);
    ::fchmod(e->copy->handle(), (st.st_mode & 0777) | S_IRUSR | S_IWUSR);
    m_bytes += e->size;
    m_entries.push_back(std::move(e));
    return ShellResult::ok();
}

bool Batch::sameBytes(Entry &e, QString *why, bool *changed)
{
    // The source again as it was recorded: a file written to since (or put
    // in its place) is not the one the copy saves.
    SafeFs::Check check;
    const int fd = SafeFs::openForReading(e.record, &check);
    if (fd < 0) {
        *changed = check.status == SafeFs::Check::Changed;
        *why = check.reason;
        return false;
    }
    QFile in;
    struct stat st;
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) || ::fstat(in.handle(), &st) != 0) {
        *why = QStringLiteral("No se puede leer: ") + e.source;
        return false;
    }
    if (qint64(st.st_size) != e.size)
        return false;
    const int copyFd = e.copy->handle();
    const size_t block = size_t(std::clamp<qint64>(e.size, 1, kBlock));
    m_a.resize(block);
    m_b.resize(block);
    for (qint64 at = 0; at < e.size;) {
        const qint64 want = std::min<qint64>(e.size - at, qint64(block));
        if (!readFully(in.handle(), m_a.data(), want, at) || !readFully(copyFd, m_b.data(), want, at))
            return false;
        if (std::memcmp(m_a.data(), m_b.data(), size_t(want)) != 0)
            return false;
        at += want;
    }
    // Nothing after the end either.
    char extra;
    return ::pread(in.handle(), &extra, 1, off_t(e.size)) == 0 && ::pread(copyFd, &extra, 1, off_t(e.size)) == 0;
}

std::vector<Batch::Committed> Batch::commit()
{
    std::vector<Committed> out(m_entries.size());
    if (m_entries.empty())
        return out;
    auto failAll = [&](const QString &why) {
        for (Committed &c : out)
            c.result = ShellResult::failed(why);
    };

    // 1. The bytes of every copy on disk: one flush of the file system for
    // them all where that is enough (it also reports a write error of any
    // file written there since the folder was opened), else each copy's own.
    // Window events run meanwhile: the flush also waits for whatever else is
    // waiting to be written to that disk.
    std::vector<int> files;
    for (const auto &e : m_entries)
        files.push_back(e->copy->handle());
    const int folderFd = m_folderFd;
    const bool whole = files.size() > 1 && wholeFlushIsEnough(folderFd);
    const int flushed = EventPump::runBlocking([&files, folderFd, whole] {
        if (whole)
            return ::syncfs(folderFd) == 0 ? 0 : errno;
        for (int fd : files) {
            if (::fdatasync(fd) != 0)
                return errno;
        }
        return 0;
    });
    if (flushed != 0) {
        failAll(QStringLiteral("Error al escribir las copias en ") + m_folder + QStringLiteral(" (")
                + systemError(flushed) + u')');
    } else {
        // 2. Each copy read back against its source; 3. the good ones
        // named, never over a file that is there.
        std::vector<size_t> named;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            Entry &e = *m_entries[i];
            QString why;
            bool changed = false;
            if (!sameBytes(e, &why, &changed)) {
                out[i].changed = changed;
                if (why.isEmpty())
                    out[i].differs = true;
                out[i].result = ShellResult::failed(why.isEmpty() ? QStringLiteral("La copia no es igual al original: ")
                                                                        + e.target
                                                                  : why);
                continue;
            }
            if (!e.copy->rename(e.target)) {
                out[i].result = ShellResult::failed(QStringLiteral("No se puede crear: ") + e.target
                                                    + QStringLiteral(" (") + e.copy->errorString() + u')');
                continue;
            }
            e.copy->setAutoRemove(false);
            named.push_back(i);
        }
        // 4. The names on disk.
        // (A file system that cannot flush a folder says so with EINVAL: it
        // has no more to give.)
        const int namesFlushed = named.empty() ? 0 : EventPump::runBlocking([folderFd] {
            return ::fsync(folderFd) == 0 || errno == EINVAL || errno == ENOTSUP ? 0 : errno;
        });
        if (namesFlushed != 0) {
            const QString why = QStringLiteral("Error al escribir en ") + m_folder + QStringLiteral(" (")
                + systemError(namesFlushed) + u')';
            for (size_t i : named) {
                // Ours, made a moment ago, and their sources are still there.
                ::unlink(QFile::encodeName(m_entries[i]->target).constData());
                out[i].result = ShellResult::failed(why);
            }
        } else {
            for (size_t i : named)
                out[i].result = ShellResult::ok();
        }
    }
    m_entries.clear();
    m_bytes = 0;
    ::close(m_folderFd);
    m_folderFd = -1;
    return out;
}

} // namespace ShellCopy
