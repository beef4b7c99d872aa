#include "cleanup/DeletionLog.h"

#include "platform/Ansi.h"
#include "platform/EventPump.h"
#include "services/BuscarPaths.h"

#include <QHash>
#include <QSaveFile>

#include "platform/FileRecord.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DeletionLog {

QString fileName()
{
    return QStringLiteral("Archivos_Borrados.log");
}

QString header(const QString &date, const QString &time)
{
    return QStringLiteral("Archivos borrados  ") + date + QStringLiteral(" a las ") + time;
}

QString dashes()
{
    return QString(61, u'-');
}

Writer::~Writer()
{
    close();
}

namespace {

// Writes all of `bytes` at the end; the number of bytes written, or -1 with
// errno set at the first failure.
qint64 writeAll(int fd, const char *bytes, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return -1;
        }
        done += n;
    }
    return done;
}

bool readAt(int fd, char *into, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, into, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        size -= n;
        offset += n;
    }
    return true;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

bool Writer::open(const QString &hostFolder, const QString &date, const QString &time, QString *error)
{
    close();
    m_name = hostFolder + u'/' + fileName();
    const QByteArray name = QFile::encodeName(m_name);
    // Not blocking and not through a link: a pipe named like the log would
    // hang the run, a link would write somewhere else.
    m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        setError(error, errno == ELOOP ? fileName() + QStringLiteral(" es un enlace simbólico")
                                       : SafeFs::systemReason(errno));
        return false;
    }
    struct stat st;
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close();
        setError(error, fileName() + QStringLiteral(" no es un archivo normal"));
        return false;
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_size = qint64(st.st_size);
    // An existing log keeps the record of earlier runs (their backups are
    // still in this folder); of it only the byte-order mark and whether its
    // last line is ended matter.
    m_utf8 = false;
    if (m_size > 0) {
        char head[3] = {0, 0, 0};
        char last = '\n';
        if (!readAt(m_fd, head, std::min<qint64>(3, m_size), 0) || !readAt(m_fd, &last, 1, m_size - 1)) {
            setError(error, SafeFs::systemReason(errno ? errno : EIO));
            close();
            return false;
        }
        m_utf8 = m_size >= 3 && QByteArray(head, 3) == "\xEF\xBB\xBF";
        if (last != '\n') {
            if (writeAll(m_fd, "\r\n", 2) != 2) {
                setError(error, SafeFs::systemReason(errno));
                ::ftruncate(m_fd, off_t(m_size));
                close();
                return false;
            }
            m_size += 2;
        }
    }
    if (write({header(date, time), dashes()}, error) && sync(error))
        return true;
    close();
    return false;
}

bool Writer::add(const QString &line, QString *error)
{
    if (!m_utf8 && !Ansi::canEncode(line) && !switchToUtf8(error))
        return false;
    return write({line}, error);
}

bool Writer::sync(QString *error)
{
    // The lines' bytes and the file's length: all a reader needs.
    if (m_fd < 0) {
        setError(error, QStringLiteral("el registro no está abierto"));
        return false;
    }
    const int fd = m_fd;
    const int failed = EventPump::runBlocking([fd] { return ::fdatasync(fd) == 0 ? 0 : errno; });
    if (failed != 0) {
        setError(error, SafeFs::systemReason(failed));
        return false;
    }
    return true;
}

void Writer::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool Writer::write(const QStringList &lines, QString *error)
{
    if (m_fd < 0) {
        setError(error, QStringLiteral("el registro no está abierto"));
        return false;
    }
    QByteArray bytes;
    if (m_utf8 && m_size == 0)
        bytes = "\xEF\xBB\xBF";
    for (const QString &l : lines)
        bytes += (m_utf8 ? l.toUtf8() : Ansi::encode(l)) + "\r\n";
    if (writeAll(m_fd, bytes.constData(), bytes.size()) != bytes.size()) {
        const int failed = errno;
        // Half a line would read back as a path that names another file.
        ::ftruncate(m_fd, off_t(m_size));
        setError(error, SafeFs::systemReason(failed));
        return false;
    }
    m_size += bytes.size();
    return true;
}

bool Writer::switchToUtf8(QString *error)
{
    // A path that Windows-1252 cannot hold: the whole log becomes UTF-8
    // with a byte-order mark (never a "?" in place of a letter), rewritten
    // block by block beside it and put in its place in one step.
    QSaveFile out(m_name);
    if (!out.open(QIODevice::WriteOnly)) {
        setError(error, out.errorString());
        return false;
    }
    out.write("\xEF\xBB\xBF");
    std::vector<char> block(1 << 20);
    for (qint64 at = 0; at < m_size;) {
        const qint64 want = std::min<qint64>(qint64(block.size()), m_size - at);
        if (!readAt(m_fd, block.data(), want, at)) {
            setError(error, SafeFs::systemReason(errno ? errno : EIO));
            return false;
        }
        const QByteArray utf8 = Ansi::decode(QByteArrayView(block.data(), want)).toUtf8();
        if (out.write(utf8) != utf8.size()) {
            setError(error, out.errorString());
            return false;
        }
        at += want;
    }
    if (!out.commit()) {
        setError(error, out.errorString());
        return false;
    }
    close();
    const QByteArray name = QFile::encodeName(m_name);
    m_fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (m_fd < 0) {
        setError(error, SafeFs::systemReason(errno));
        return false;
    }
    struct stat st;
    m_size = ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : 0;
    m_utf8 = true;
    return true;
}

bool lineReadsBack(const QString &line, const QString &backupName)
{
    for (const QChar c : line) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            return false;
    }
    const Contents c = read({header(QString(), QString()), dashes(), line});
    return c.paths == QStringList{line} && Buscar::Obtener_Nombre_Archivo(line) == backupName;
}

Contents read(const QStringList &lines)
{
    Contents out;
    QStringList paths;
    QHash<QString, QStringList> names; // file name -> the distinct paths naming it
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("Archivos borrados"))) {
            if (out.label.isEmpty())
                out.label = line;
            continue;
        }
        if (line.startsWith(QStringLiteral("------")) || line.trimmed().isEmpty())
            continue;
        QStringList &same = names[Buscar::Obtener_Nombre_Archivo(line)];
        if (same.contains(line))
            continue;
        same << line;
        paths << line;
    }
    for (const QString &p : std::as_const(paths)) {
        const QString name = Buscar::Obtener_Nombre_Archivo(p);
        if (names.value(name).size() > 1) {
            if (!out.repeated.contains(name))
                out.repeated << name;
            continue;
        }
        out.paths << p;
    }
    return out;
}

} // namespace DeletionLog
