#include "platform/NoLinkWrite.h"

#include "platform/FileRecord.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace NoLinkWrite {
namespace {

void say(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString reason(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("La carpeta ya no existe.");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("No se puede escribir en la carpeta.");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("No queda espacio en el disco.");
    default:
        return SafeFs::systemReason(error);
    }
}

QString linkRefused(const QString &name)
{
    return name + QStringLiteral(" es un enlace simbólico: no se escribe a través de un enlace.");
}

} // namespace

Folder::~Folder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Folder::Folder(Folder &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

Folder &Folder::operator=(Folder &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

Folder Folder::open(const QString &hostFolder, QString *error)
{
    if (hostFolder.isEmpty()) {
        say(error, QStringLiteral("La unidad de la ruta no está disponible."));
        return Folder();
    }
    const int fd = ::open(QFile::encodeName(hostFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        say(error, reason(errno));
        return Folder();
    }
    return Folder(fd);
}

Folder Folder::sub(const QString &name, QString *error) const
{
    if (m_fd < 0) {
        say(error, QStringLiteral("La carpeta no está abierta."));
        return Folder();
    }
    const QByteArray n = QFile::encodeName(name);
    struct stat st;
    if (::fstatat(m_fd, n.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            say(error, reason(errno));
            return Folder();
        }
        if (::mkdirat(m_fd, n.constData(), 0777) != 0 && errno != EEXIST) {
            say(error, reason(errno));
            return Folder();
        }
    } else if (S_ISLNK(st.st_mode)) {
        say(error, linkRefused(name));
        return Folder();
    } else if (!S_ISDIR(st.st_mode)) {
        say(error, QStringLiteral("Ya existe un archivo con ese nombre."));
        return Folder();
    }
    // Whatever stands there now (a link put in its place meanwhile
    // included) is opened only when it is a folder itself.
    const int fd = ::openat(m_fd, n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ELOOP)
            say(error, linkRefused(name));
        else
            say(error, e == ENOTDIR ? QStringLiteral("Ya existe un archivo con ese nombre.") : reason(e));
        return Folder();
    }
    return Folder(fd);
}

bool Folder::write(const QString &name, const QByteArray &bytes, QString *error) const
{
    if (m_fd < 0) {
        say(error, QStringLiteral("La carpeta no está abierta."));
        return false;
    }
    const QByteArray n = QFile::encodeName(name);
    if (n.isEmpty() || n.contains('/') || n == "." || n == "..") {
        say(error, QStringLiteral("El nombre del archivo no es válido."));
        return false;
    }
    // A new file gets the usual permissions; a replaced one keeps its own.
    int mode = -1;
    struct stat st;
    if (::fstatat(m_fd, n.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode)) {
            say(error, linkRefused(name));
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            say(error, name + QStringLiteral(" no es un archivo normal: no se reemplaza."));
            return false;
        }
        mode = int(st.st_mode & 07777);
    } else if (errno != ENOENT) {
        say(error, reason(errno));
        return false;
    }

    // The new text goes to a name of its own first, so that a failure
    // (a full disk) leaves the old file whole.
    static std::atomic<unsigned> counter{0};
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = "." + n.left(120) + ".tmp" + QByteArray::number(::getpid()) + "-" + QByteArray::number(counter++);
        fd = ::openat(m_fd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        say(error, reason(errno));
        return false;
    }
    bool ok = SafeFs::writeFully(fd, bytes.constData(), bytes.size()) && (mode < 0 || ::fchmod(fd, mode_t(mode)) == 0)
        && ::fsync(fd) == 0;
    int e = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        e = errno;
    }
    // A rename replaces the name itself: a link put there meanwhile is
    // replaced, never written through.
    if (ok && ::renameat(m_fd, temp.constData(), m_fd, n.constData()) != 0) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        ::unlinkat(m_fd, temp.constData(), 0);
        say(error, e == EISDIR ? name + QStringLiteral(" no es un archivo normal: no se reemplaza.") : reason(e));
    }
    return ok;
}

} // namespace NoLinkWrite
