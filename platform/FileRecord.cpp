#include "platform/FileRecord.h"

#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/SysCalls.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The names of a path below a root; nothing when one of them is empty, "."
// or ".." (such a path could lead somewhere else than it says).
std::optional<QList<QByteArray>> namesOf(const QByteArray &rel)
{
    QList<QByteArray> names = rel.split('/');
    if (rel.isEmpty())
        return QList<QByteArray>();
    for (const QByteArray &n : names) {
        if (n.isEmpty() || n == "." || n == ".." || n.contains('\0'))
            return std::nullopt;
    }
    return names;
}

SafeFs::Check fail(SafeFs::Check::Status status, const QString &reason)
{
    return SafeFs::Check{status, reason};
}

qint64 mtimeOf(const struct stat &st)
{
    return qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
}

// What an open or look at a name that failed with `error` means.
SafeFs::Check failure(int dirFd, const QByteArray &name, int error, bool folder)
{
    using C = SafeFs::Check;
    if (error == ENOENT)
        return fail(C::Missing, folder ? QStringLiteral("su carpeta ya no existe") : QStringLiteral("ya no existe"));
    if (error == ELOOP || error == ENOTDIR) {
        struct stat st;
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            return fail(folder ? C::LinkInPath : C::Link,
                        folder ? QStringLiteral("una carpeta de su ruta es un enlace simbólico")
                               : QStringLiteral("es un enlace simbólico"));
        return fail(C::NotFile, folder ? QStringLiteral("una carpeta de su ruta no es una carpeta")
                                       : QStringLiteral("no es un archivo normal"));
    }
    return fail(C::Unreachable, QStringLiteral("no se puede acceder: ") + SafeFs::systemReason(error));
}

} // namespace

QByteArray FileRecord::host() const
{
    return root == "/" ? "/" + rel : root + '/' + rel;
}

QByteArray FileRecord::name() const
{
    return rel.mid(rel.lastIndexOf('/') + 1);
}

std::optional<FileRecord> FileRecord::take(QChar letter, const QByteArray &host)
{
    const QByteArray root = QFile::encodeName(DriveMap::instance().root(letter));
    if (root.isEmpty())
        return std::nullopt;
    const QByteArray prefix = root == "/" ? QByteArray("/") : root + '/';
    if (!host.startsWith(prefix))
        return std::nullopt;
    FileRecord r;
    r.root = root;
    r.rel = host.mid(prefix.size());
    const auto names = namesOf(r.rel);
    if (!names || names->isEmpty())
        return std::nullopt;
    struct stat st;
    if (::lstat(host.constData(), &st) != 0)
        return std::nullopt;
    r.device = quint64(st.st_dev);
    r.inode = quint64(st.st_ino);
    r.size = qint64(st.st_size);
    r.mtimeNs = mtimeOf(st);
    return r;
}

FileRecord::InFolder::InFolder(QChar letter, const QByteArray &hostFolder)
    : m_letter(letter), m_joined(hostFolder.endsWith('/') ? hostFolder : hostFolder + '/')
{
    m_root = QFile::encodeName(DriveMap::instance().root(letter));
    if (m_root.isEmpty())
        return;
    const QByteArray prefix = m_root == "/" ? QByteArray("/") : m_root + '/';
    // A name without "/" keeps the file below the root exactly when the
    // folder is.
    if (!m_joined.startsWith(prefix))
        return;
    m_relFolder = m_joined.mid(prefix.size());
    const QByteArray folderNames = m_relFolder.chopped(std::min<qsizetype>(1, m_relFolder.size()));
    m_below = m_relFolder.isEmpty() || (!folderNames.isEmpty() && namesOf(folderNames).has_value());
    // A look at a name in the folder held open walks one name, not the
    // whole path (the same folder the path leads to, as a path walk
    // follows links on the way).
    if (m_below)
        m_fd = ::open(m_joined.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

FileRecord::InFolder::~InFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<FileRecord> FileRecord::InFolder::take(const QByteArray &name) const
{
    // A name that holds a "/" is more than one name: checked as a whole.
    if (name.contains('/'))
        return FileRecord::take(m_letter, m_joined + name);
    if (!m_below || name.isEmpty() || name == "." || name == ".." || name.contains('\0'))
        return std::nullopt;
    struct stat st;
    if (m_fd >= 0 ? ::fstatat(m_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0
                  : ::lstat((m_joined + name).constData(), &st) != 0)
        return std::nullopt;
    FileRecord r;
    r.root = m_root;
    r.rel = m_relFolder + name;
    r.device = quint64(st.st_dev);
    r.inode = quint64(st.st_ino);
    r.size = qint64(st.st_size);
    r.mtimeNs = mtimeOf(st);
    return r;
}

namespace SafeFs {

Folder::~Folder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Folder::Folder(Folder &&other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

Folder &Folder::operator=(Folder &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

Folder Folder::open(const QByteArray &root, const QByteArray &rel, Check *why, bool create)
{
    Folder out;
    const auto names = namesOf(rel);
    if (!names) {
        *why = fail(Check::NotFile, QStringLiteral("la ruta no es válida"));
        return out;
    }
    // The root itself may be a link (a drive letter of the Wine prefix is).
    int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *why = fail(Check::Unreachable, QStringLiteral("la unidad no está disponible: ") + systemReason(errno));
        return out;
    }
    for (const QByteArray &n : *names) {
        int next = ::openat(fd, n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(fd, n.constData(), 0777) != 0 && errno != EEXIST) {
                const int error = errno;
                ::close(fd);
                *why = fail(Check::Unreachable, QStringLiteral("no se puede crear la carpeta: ") + systemReason(error));
                return out;
            }
            next = ::openat(fd, n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0) {
            *why = failure(fd, n, errno, true);
            ::close(fd);
            return out;
        }
        ::close(fd);
        fd = next;
    }
    out.m_fd = fd;
    *why = Check{Check::Same, {}};
    return out;
}

Folder Folder::parentOf(const FileRecord &record, Check *why)
{
    const qsizetype slash = record.rel.lastIndexOf('/');
    if (!record.isValid()) {
        *why = fail(Check::NotFile, QStringLiteral("la ruta no es válida"));
        return Folder();
    }
    return open(record.root, slash < 0 ? QByteArray() : record.rel.left(slash), why);
}

Check compare(const Folder &folder, const QByteArray &name, const FileRecord &record)
{
    struct stat st;
    if (::fstatat(folder.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return failure(folder.fd(), name, errno, false);
    if (S_ISLNK(st.st_mode))
        return fail(Check::Link, QStringLiteral("es un enlace simbólico"));
    if (!S_ISREG(st.st_mode))
        return fail(Check::NotFile, QStringLiteral("no es un archivo normal"));
    if (quint64(st.st_dev) != record.device || quint64(st.st_ino) != record.inode)
        return fail(Check::Replaced, QStringLiteral("ya no es el archivo analizado (otro archivo tiene su nombre)"));
    if (qint64(st.st_size) != record.size || mtimeOf(st) != record.mtimeNs)
        return fail(Check::Changed, QStringLiteral("ha cambiado desde el análisis"));
    return Check{Check::Same, {}};
}

Check check(const FileRecord &record)
{
    Check why;
    const Folder folder = Folder::parentOf(record, &why);
    if (!folder.isOpen())
        return why;
    return compare(folder, record.name(), record);
}

int openForReading(const FileRecord &record, Check *why)
{
    const Folder folder = Folder::parentOf(record, why);
    if (!folder.isOpen())
        return -1;
    // Not blocking: a pipe put in the file's place must not hang the window.
    const int fd = ::openat(folder.fd(), record.name().constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = failure(folder.fd(), record.name(), errno, false);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *why = fail(Check::Unreachable, QStringLiteral("no se puede acceder: ") + systemReason(errno));
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode))
        *why = fail(Check::NotFile, QStringLiteral("no es un archivo normal"));
    else if (quint64(st.st_dev) != record.device || quint64(st.st_ino) != record.inode)
        *why = fail(Check::Replaced, QStringLiteral("ya no es el archivo analizado (otro archivo tiene su nombre)"));
    else if (qint64(st.st_size) != record.size || mtimeOf(st) != record.mtimeNs)
        *why = fail(Check::Changed, QStringLiteral("ha cambiado desde el análisis"));
    else
        *why = Check{Check::Same, {}};
    if (!why->ok()) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

ShellResult remove(const FileRecord &record, ReadOnly readOnly)
{
    Check why;
    const Folder folder = Folder::parentOf(record, &why);
    if (!folder.isOpen())
        return why.result();
    return remove(folder, record, readOnly);
}

ShellResult remove(const Folder &folder, const FileRecord &record, ReadOnly readOnly)
{
    const QByteArray name = record.name();
    Check why = compare(folder, name, record);
    if (!why.ok())
        return why.result();
    if (readOnly == ReadOnly::Keep) {
        // Looked at through the same open folder the unlink goes through.
        struct stat st;
        if (::fstatat(folder.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return failure(folder.fd(), name, errno, false).result();
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0
            || ::faccessat(folder.fd(), name.constData(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
            return ShellResult::failed(QStringLiteral("es de solo lectura"));
    }
    // Freeing the blocks of a long file takes the system a while (some
    // 170 ms for 800 MB): that removal runs beside the window's events. A
    // helper thread for each of many small files would cost more than it
    // saves.
    const int dirFd = folder.fd();
    const auto unlink = [dirFd, &name] { return ::unlinkat(dirFd, name.constData(), 0) == 0 ? 0 : errno; };
    const int removed = record.size >= kLongFileBytes ? EventPump::runBlocking(unlink) : unlink();
    if (removed != 0)
        return ShellResult::failed(systemReason(removed));
    // Gone means no file of that identity under that name any more.
    struct stat st;
    if (::fstatat(folder.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && quint64(st.st_dev) == record.device
        && quint64(st.st_ino) == record.inode)
        return ShellResult::failed(QStringLiteral("sigue en su carpeta después de borrarlo"));
    return ShellResult::ok();
}

QList<QByteArray> namesIn(const Folder &folder, const std::function<void()> &pump, int *error)
{
    QList<QByteArray> out;
    if (error)
        *error = 0;
    // A reading of its own: the folder's handle keeps its place for others.
    const int fd = folder.isOpen() ? ::openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    DIR *d = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!d) {
        if (error)
            *error = folder.isOpen() ? errno : EBADF;
        if (fd >= 0)
            ::close(fd);
        return out;
    }
    while (const struct dirent *e = ::readdir(d)) {
        const QByteArray n(e->d_name);
        if (n == "." || n == "..")
            continue;
        out << n;
        if (pump && (out.size() & 511) == 0)
            pump();
    }
    ::closedir(d);
    return out;
}

int createTemporary(int folderFd, QByteArray *name, int *error)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray n = ".velmar-copia-";
        for (int i = 0; i < 8; ++i)
            n += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        const int fd = ::openat(folderFd, n.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            *name = n;
            return fd;
        }
        if (errno != EEXIST) {
            *error = errno;
            return -1;
        }
    }
    *error = EEXIST;
    return -1;
}

bool writeFully(int fd, const char *from, qint64 size)
{
    while (size > 0) {
        const ssize_t n = SysCalls::retryInterrupted([&] { return ::write(fd, from, size_t(size)); });
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        from += n;
        size -= n;
    }
    return true;
}

bool readFully(int fd, char *into, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t got = SysCalls::retryInterrupted([&] { return ::pread(fd, into, size_t(size), off_t(offset)); });
        if (got <= 0) {
            if (got == 0)
                errno = EIO;
            return false;
        }
        into += got;
        size -= got;
        offset += got;
    }
    return true;
}

QString systemReason(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("el disco está lleno");
    case EDQUOT:
        return QStringLiteral("se ha superado la cuota del disco");
    case EROFS:
        return QStringLiteral("el disco es de solo lectura");
    case EACCES:
    case EPERM:
        return QStringLiteral("permiso denegado");
    case EIO:
        return QStringLiteral("error de lectura o escritura en el disco");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace SafeFs
