#include "platform/ShellCopy.h"

#include "platform/Ask.h"
#include "platform/EventPump.h"
#include "platform/FileRecord.h"
#include "platform/SpanishDate.h"
#include "platform/SysCalls.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QScopeGuard>

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

// A copy goes a piece at a time, the window's events run between pieces:
// small enough that one piece never holds the window (a write that makes
// the system find room in a full memory takes a while), large enough that
// the calls cost nothing beside the bytes.
constexpr qint64 kBlockBytes = 128 * 1024;

WriteCall g_restoreWrite = nullptr;

QString why(const QString &what, int error)
{
    return what + QStringLiteral(": ") + SafeFs::systemReason(error);
}

int createTemp(int folderFd, QByteArray *name, int *error)
{
    return SafeFs::createTemporary(folderFd, name, error);
}

// Gives the temporary file `temp` the name `name` only while nothing bears
// that name. 0, or the error (EEXIST: something is there now).
int nameWithoutReplacing(int folderFd, const QByteArray &temp, const QByteArray &name)
{
    if (::renameat2(folderFd, temp.constData(), folderFd, name.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system without that rename: a second link fails on an existing
    // name just the same.
    if (::linkat(folderFd, temp.constData(), folderFd, name.constData(), 0) != 0)
        return errno;
    ::unlinkat(folderFd, temp.constData(), 0);
    return 0;
}

} // namespace

void setRestoreWriteForTest(WriteCall call)
{
    g_restoreWrite = call;
}

QString fileFacts(qint64 bytes, const QDateTime &modified)
{
    const QLocale locale;
    return locale.toString(bytes) + QStringLiteral(" bytes, modificado el ")
        + SpanishDate::dateTime(modified);
}

namespace {

QString factsOf(const struct stat &st)
{
    return fileFacts(qint64(st.st_size),
                     QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000));
}

} // namespace

ShellResult restoreInto(int sourceFolderFd, const QByteArray &sourceName, const RestoreTarget &target)
{
    const QString title = QStringLiteral("Copiar archivo");
    // The backup copy: that very name in the log's folder, a regular file.
    const int in = ::openat(sourceFolderFd, sourceName.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        const int error = errno;
        struct stat st;
        if (error == ENOENT)
            return ShellResult::failed(QStringLiteral("no está su copia de seguridad en la carpeta del registro"));
        if (::fstatat(sourceFolderFd, sourceName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            return ShellResult::failed(QStringLiteral("su copia de seguridad es un enlace simbólico"));
        return ShellResult::failed(why(QStringLiteral("no se puede leer su copia de seguridad"), error));
    }
    const auto closeIn = qScopeGuard([in] { ::close(in); });
    struct stat src;
    if (::fstat(in, &src) != 0)
        return ShellResult::failed(why(QStringLiteral("no se puede leer su copia de seguridad"), errno));
    if (!S_ISREG(src.st_mode))
        return ShellResult::failed(QStringLiteral("su copia de seguridad no es un archivo normal"));
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);

    // The folder, every name below the root opened without following a link.
    SafeFs::Check check;
    SafeFs::Folder folder = SafeFs::Folder::open(target.root, target.folder, &check);
    if (!folder.isOpen() && check.status == SafeFs::Check::Missing) {
        if (!Ask::yes(title, QStringLiteral("La carpeta ") + target.shownFolder
                                 + QStringLiteral(" no existe.\r\n¿Desea crearla?")))
            return ShellResult::failed(QStringLiteral("su carpeta no existe y no se ha creado"));
        folder = SafeFs::Folder::open(target.root, target.folder, &check, true);
    }
    if (!folder.isOpen())
        return ShellResult::failed(check.reason);
    const int dir = folder.fd();

    // What bears the name now.
    struct stat old;
    bool replace = false;
    if (::fstatat(dir, target.name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (old.st_dev == src.st_dev && old.st_ino == src.st_ino)
            return ShellResult::failed(QStringLiteral("el origen y el destino son el mismo archivo"));
        if (S_ISLNK(old.st_mode))
            return ShellResult::failed(QStringLiteral("en su lugar hay un enlace simbólico, que no se reemplaza"));
        if (S_ISDIR(old.st_mode))
            return ShellResult::failed(QStringLiteral("ya existe una carpeta con ese nombre"));
        if (!S_ISREG(old.st_mode))
            return ShellResult::failed(QStringLiteral("en su lugar hay algo que no es un archivo normal"));
        // As the shell asks: which file, and the size and date of both.
        if (!Ask::yes(title, QStringLiteral("Ya existe el archivo ") + target.shownFile
                                 + QStringLiteral("\r\nArchivo existente: ") + factsOf(old)
                                 + QStringLiteral("\r\nCopia de seguridad: ") + factsOf(src)
                                 + QStringLiteral("\r\n¿Desea reemplazarlo?")))
            return ShellResult::declined();
        replace = true;
    } else if (errno != ENOENT) {
        return ShellResult::failed(why(QStringLiteral("no se puede acceder a su carpeta"), errno));
    }

    // The copy, under a temporary name in that folder.
    QByteArray temp;
    int error = 0;
    const int out = createTemp(dir, &temp, &error);
    if (out < 0)
        return ShellResult::failed(why(QStringLiteral("no se puede escribir en su carpeta"), error));
    bool named = false;
    const auto cleanUp = qScopeGuard([&] {
        ::close(out);
        if (!named)
            ::unlinkat(dir, temp.constData(), 0);
    });
    const WriteCall write = g_restoreWrite ? g_restoreWrite : &::write;
    std::vector<char> block(size_t(std::clamp<qint64>(qint64(src.st_size), 1, kBlockBytes)));
    qint64 copied = 0;
    for (;;) {
        const ssize_t got = SysCalls::retryInterrupted([&] { return ::read(in, block.data(), block.size()); });
        if (got < 0)
            return ShellResult::failed(why(QStringLiteral("no se puede leer su copia de seguridad"), errno));
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                SysCalls::retryInterrupted([&] { return write(out, block.data() + done, size_t(got - done)); });
            if (put <= 0)
                return ShellResult::failed(why(QStringLiteral("no se ha podido escribir"), put == 0 ? ENOSPC : errno));
            done += put;
        }
        copied += got;
        // A long file goes back a piece at a time, the window answering.
        EventPump::pumpEvents();
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
    ::futimens(out, times);
    ::fchmod(out, (src.st_mode & 0777) | S_IRUSR | S_IWUSR);
    // On the disk before it bears the name: a crash never leaves a short file
    // where the user expects the restored one. (The flush also waits for
    // whatever else is waiting to be written to that disk: window events
    // run meanwhile.)
    const int synced = EventPump::runBlocking([out] { return ::fdatasync(out) == 0 ? 0 : errno; });
    if (synced != 0)
        return ShellResult::failed(why(QStringLiteral("no se ha podido escribir"), synced));
    struct stat written;
    if (::fstat(out, &written) != 0)
        return ShellResult::failed(why(QStringLiteral("no se ha podido escribir"), errno));
    if (copied != qint64(src.st_size) || qint64(written.st_size) != copied)
        return ShellResult::failed(QStringLiteral("la copia escrita no tiene la longitud de su copia de seguridad"));

    if (replace) {
        // Only over the file the user agreed to replace, identified again
        // (a regular file of the same device, inode, length and time):
        // another file renamed over it meanwhile, or the same one written
        // to, is not the file the question showed.
        struct stat now;
        if (::fstatat(dir, target.name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0)
            return ShellResult::failed(QStringLiteral("el archivo que se iba a reemplazar ha desaparecido"));
        if (!S_ISREG(now.st_mode) || now.st_dev != old.st_dev || now.st_ino != old.st_ino
            || now.st_size != old.st_size || now.st_mtim.tv_sec != old.st_mtim.tv_sec
            || now.st_mtim.tv_nsec != old.st_mtim.tv_nsec)
            return ShellResult::failed(QStringLiteral("el archivo que se iba a reemplazar ha cambiado; no se reemplaza"));
        // rename() never follows a link in the target's place: at worst the
        // entry is replaced, nothing behind it is written.
        if (::renameat(dir, temp.constData(), dir, target.name.constData()) != 0)
            return ShellResult::failed(why(QStringLiteral("no se ha podido reemplazar"), errno));
    } else {
        const int failed = nameWithoutReplacing(dir, temp, target.name);
        if (failed == EEXIST)
            return ShellResult::failed(QStringLiteral("otro archivo ha tomado su nombre mientras se copiaba; no se reemplaza"));
        if (failed != 0)
            return ShellResult::failed(why(QStringLiteral("no se ha podido crear"), failed));
    }
    named = true;
    const int dirSynced = EventPump::runBlocking([dir] { return ::fsync(dir) == 0 ? 0 : errno; });
    if (dirSynced != 0 && dirSynced != EINVAL && dirSynced != ENOTSUP)
        return ShellResult::failed(why(QStringLiteral("no se ha podido guardar en el disco"), dirSynced));
    // In place: the file we wrote, with the backup's length.
    struct stat placed;
    if (::fstatat(dir, target.name.constData(), &placed, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(placed.st_mode)
        || placed.st_dev != written.st_dev || placed.st_ino != written.st_ino
        || qint64(placed.st_size) != qint64(src.st_size))
        return ShellResult::failed(QStringLiteral("el archivo no ha quedado en su sitio"));
    return ShellResult::ok();
}

namespace {

constexpr qint64 kBlock = kBlockBytes;

QString systemError(int error)
{
    return SafeFs::systemReason(error);
}

using SafeFs::readFully;
using SafeFs::writeFully;

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
    QByteArray name;  // the name the copy gets: the source's own
    QByteArray temp;  // its temporary name in the folder; empty once named or gone
    int fd = -1;      // the copy, open for writing and reading back
    qint64 size = 0;
    quint64 device = 0;
    quint64 inode = 0;
};

namespace {

CopyWrittenCall g_copyWritten = nullptr;

} // namespace

void setCopyWrittenForTest(CopyWrittenCall call)
{
    g_copyWritten = call;
}

Batch::Batch(int folderFd, const QString &shownFolder, Progress *progress)
    : m_folder(shownFolder), m_folderFd(folderFd >= 0 ? ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0) : -1),
      m_progress(progress)
{
}

Batch::~Batch()
{
    // Copies never committed go with their temporary files.
    for (const auto &e : m_entries)
        drop(*e);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

void Batch::drop(Entry &e)
{
    if (e.fd >= 0)
        ::close(e.fd);
    e.fd = -1;
    if (!e.temp.isEmpty() && m_folderFd >= 0)
        ::unlinkat(m_folderFd, e.temp.constData(), 0);
    e.temp.clear();
}

void Batch::pump()
{
    if (m_progress)
        m_progress->pump();
    else
        EventPump::pumpEvents();
}

ShellResult Batch::add(const FileRecord &record)
{
    const QString sourceHost = QFile::decodeName(record.host());
    if (m_folderFd < 0)
        return ShellResult::failed(QStringLiteral("No se puede escribir en: ") + m_folder);
    // The source only while it is still the recorded file: opened without
    // following a link and checked on the opened file itself.
    SafeFs::Check why;
    const int in = SafeFs::openForReading(record, &why);
    if (in < 0)
        return why.result();
    const auto closeIn = qScopeGuard([in] { ::close(in); });
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode))
        return ShellResult::failed(QStringLiteral("No se encuentra el archivo de origen: ") + sourceHost);
    auto e = std::make_unique<Entry>();
    e->record = record;
    e->name = record.name();
    int error = 0;
    e->fd = createTemp(m_folderFd, &e->temp, &error);
    if (e->fd < 0)
        return ShellResult::failed(QStringLiteral("No se puede escribir en: ") + m_folder + QStringLiteral(" (")
                                   + systemError(error) + u')');
    auto dropOnFailure = qScopeGuard([&] { drop(*e); });
    m_a.resize(size_t(std::clamp<qint64>(qint64(st.st_size), 1, kBlock)));
    for (;;) {
        const ssize_t got = ::read(in, m_a.data(), m_a.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ShellResult::failed(QStringLiteral("Error al leer: ") + sourceHost + QStringLiteral(" (")
                                       + systemError(errno) + u')');
        if (got == 0)
            break;
        // Straight to the file, so that the reason of a failure is the
        // system's (a full disk is said to be full).
        if (!writeFully(e->fd, m_a.data(), got))
            return ShellResult::failed(QStringLiteral("Error al escribir la copia en ") + m_folder
                                       + QStringLiteral(" (") + systemError(errno) + u')');
        e->size += got;
        // A long file is copied a piece at a time, the window answering.
        pump();
    }
    // The copy keeps the source's modification time and permissions (and
    // stays readable and writable by its owner).
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::futimens(e->fd, times);
    ::fchmod(e->fd, (st.st_mode & 0777) | S_IRUSR | S_IWUSR);
    if (g_copyWritten)
        g_copyWritten(e->fd);
    struct stat copy;
    if (::fstat(e->fd, &copy) != 0)
        return ShellResult::failed(QStringLiteral("Error al escribir la copia en ") + m_folder + QStringLiteral(" (")
                                   + systemError(errno) + u')');
    e->device = quint64(copy.st_dev);
    e->inode = quint64(copy.st_ino);
    m_bytes += e->size;
    dropOnFailure.dismiss();
    m_entries.push_back(std::move(e));
    return ShellResult::ok();
}

bool Batch::sameBytes(Entry &e, QString *why, bool *changed)
{
    // The source again as it was recorded: a file written to since (or put
    // in its place) is not the one the copy saves.
    SafeFs::Check check;
    const int in = SafeFs::openForReading(e.record, &check);
    if (in < 0) {
        *changed = check.status == SafeFs::Check::Changed;
        *why = check.reason;
        return false;
    }
    const auto closeIn = qScopeGuard([in] { ::close(in); });
    struct stat st;
    if (::fstat(in, &st) != 0) {
        *why = QStringLiteral("No se puede leer: ") + QFile::decodeName(e.record.host());
        return false;
    }
    if (qint64(st.st_size) != e.size)
        return false;
    // Byte for byte, a piece at a time with the window answering between.
    const size_t block = size_t(std::clamp<qint64>(e.size, 1, kBlock));
    m_a.resize(block);
    m_b.resize(block);
    for (qint64 at = 0; at < e.size;) {
        const qint64 want = std::min<qint64>(e.size - at, qint64(block));
        if (!readFully(in, m_a.data(), want, at) || !readFully(e.fd, m_b.data(), want, at))
            return false;
        if (std::memcmp(m_a.data(), m_b.data(), size_t(want)) != 0)
            return false;
        at += want;
        pump();
    }
    // Nothing after the end either.
    char extra;
    return ::pread(in, &extra, 1, off_t(e.size)) == 0 && ::pread(e.fd, &extra, 1, off_t(e.size)) == 0;
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
        files.push_back(e->fd);
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
            // Reading a batch's copies back takes a while: events run
            // between them, as they do during the flushes.
            pump();
            Entry &e = *m_entries[i];
            QString why;
            bool changed = false;
            if (!sameBytes(e, &why, &changed)) {
                out[i].changed = changed;
                if (why.isEmpty())
                    out[i].differs = true;
                out[i].result = ShellResult::failed(why.isEmpty() ? QStringLiteral("La copia no es igual al original")
                                                                  : why);
                continue;
            }
            const int failed = nameWithoutReplacing(m_folderFd, e.temp, e.name);
            if (failed != 0) {
                out[i].result = ShellResult::failed(
                    failed == EEXIST ? QStringLiteral("otro archivo ha tomado su nombre en ") + m_folder
                                     : QStringLiteral("No se puede crear en ") + m_folder + QStringLiteral(" (")
                            + systemError(failed) + u')');
                continue;
            }
            e.temp.clear();
            out[i].name = e.name;
            out[i].device = e.device;
            out[i].inode = e.inode;
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
                withdraw(out[i]);
                out[i].result = ShellResult::failed(why);
            }
        } else {
            for (size_t i : named)
                out[i].result = ShellResult::ok();
        }
    }
    for (const auto &e : m_entries)
        drop(*e);
    m_entries.clear();
    m_bytes = 0;
    return out;
}

bool Batch::withdraw(const Committed &copy)
{
    if (copy.name.isEmpty() || m_folderFd < 0)
        return false;
    struct stat st;
    if (::fstatat(m_folderFd, copy.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
        || quint64(st.st_dev) != copy.device || quint64(st.st_ino) != copy.inode)
        return false;
    return ::unlinkat(m_folderFd, copy.name.constData(), 0) == 0;
}

} // namespace ShellCopy
