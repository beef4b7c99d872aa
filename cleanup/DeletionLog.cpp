#include "cleanup/DeletionLog.h"

#include "main/Unused.h"
#include "platform/Ansi.h"
#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "platform/EventPump.h"
#include "services/BuscarPaths.h"

#include <QHash>
#include <QSet>
#include <QScopeGuard>

#include "platform/FileRecord.h"
#include "platform/SysCalls.h"

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

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

bool Writer::open(int folderFd, const QString &date, const QString &time, QString *error)
{
    close();
    m_dirFd = folderFd >= 0 ? ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0) : -1;
    if (m_dirFd < 0) {
        setError(error, SafeFs::systemReason(folderFd >= 0 ? errno : EBADF));
        return false;
    }
    const QByteArray name = QFile::encodeName(fileName());
    // Not blocking and not through a link: a pipe named like the log would
    // hang the run, a link would write somewhere else.
    m_fd = ::openat(m_dirFd, name.constData(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                    0644);
    if (m_fd < 0) {
        setError(error, errno == ELOOP ? fileName() + QStringLiteral(" es un enlace simbólico")
                                       : SafeFs::systemReason(errno));
        close();
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
        if (!SafeFs::readFully(m_fd, head, std::min<qint64>(3, m_size), 0)
            || !SafeFs::readFully(m_fd, &last, 1, m_size - 1)) {
            setError(error, SafeFs::systemReason(errno ? errno : EIO));
            close();
            return false;
        }
        m_utf8 = m_size >= 3 && QByteArray(head, 3) == "\xEF\xBB\xBF";
        if (last != '\n') {
            if (!SafeFs::writeFully(m_fd, "\r\n", 2)) {
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
    if (m_dirFd >= 0)
        ::close(m_dirFd);
    m_dirFd = -1;
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
    if (!SafeFs::writeFully(m_fd, bytes.constData(), bytes.size())) {
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
    // block by block beside it in the same folder, brought to the disk and
    // put in its place in one step.
    QByteArray temp;
    int failed = 0;
    const int out = SafeFs::createTemporary(m_dirFd, &temp, &failed);
    if (out < 0) {
        setError(error, SafeFs::systemReason(failed));
        return false;
    }
    bool done = false;
    const auto cleanUp = qScopeGuard([&] {
        if (!done) {
            ::close(out);
            ::unlinkat(m_dirFd, temp.constData(), 0);
        }
    });
    if (!SafeFs::writeFully(out, "\xEF\xBB\xBF", 3)) {
        setError(error, SafeFs::systemReason(errno));
        return false;
    }
    std::vector<char> block(1 << 20);
    for (qint64 at = 0; at < m_size;) {
        const qint64 want = std::min<qint64>(qint64(block.size()), m_size - at);
        if (!SafeFs::readFully(m_fd, block.data(), want, at)) {
            setError(error, SafeFs::systemReason(errno ? errno : EIO));
            return false;
        }
        const QByteArray utf8 = Ansi::decode(QByteArrayView(block.data(), want)).toUtf8();
        if (!SafeFs::writeFully(out, utf8.constData(), utf8.size())) {
            setError(error, SafeFs::systemReason(errno));
            return false;
        }
        at += want;
    }
    ::fchmod(out, 0644);
    if (::fdatasync(out) != 0) {
        setError(error, SafeFs::systemReason(errno));
        return false;
    }
    // The rename replaces the name's entry, never anything a link there
    // would lead to.
    if (::renameat(m_dirFd, temp.constData(), m_dirFd, QFile::encodeName(fileName()).constData()) != 0) {
        setError(error, SafeFs::systemReason(errno));
        return false;
    }
    done = true;
    ::fcntl(out, F_SETFL, ::fcntl(out, F_GETFL) | O_APPEND);
    struct stat st;
    m_size = ::fstat(out, &st) == 0 ? qint64(st.st_size) : 0;
    ::close(m_fd);
    m_fd = out;
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

namespace {

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

// A line as a message may show it: controls made visible, a long one cut.
QString shown(const QString &line)
{
    constexpr qsizetype kShown = 200;
    QString out = line.left(kShown);
    for (QChar &c : out) {
        if (isControl(c))
            c = QChar(0xFFFD);
    }
    if (line.size() > kShown)
        out += QChar(0x2026);
    return out;
}

bool isBlank(const QString &line)
{
    for (const QChar c : line) {
        if (c.unicode() != 0 && !c.isSpace())
            return false;
    }
    return true;
}

// Gathers the lines of a log and decides which paths are offered.
class Collector
{
public:
    void line(const QString &text, qint64 number, bool badText = false)
    {
        if (text.startsWith(QStringLiteral("Archivos borrados"))) {
            // Runs add their blocks one after another: the header shown is
            // that of the newest run that deleted something (a run that
            // deleted nothing leaves its header alone), or the newest when
            // none did.
            m_header = shown(text);
            m_headerShown = false;
            if (!m_anyEntry)
                m_out.label = m_header;
            return;
        }
        if (text.startsWith(QStringLiteral("------")) || isBlank(text))
            return;
        entry();
        ++m_lines;
        const QString problem = badText ? QStringLiteral("no es texto UTF-8 válido") : lineProblem(text);
        // The same target twice is one path; the same name (in either case)
        // for two targets leaves both out, refused lines included: which of
        // them the one backup copy belongs to cannot be told.
        const QString collapsed = DriveMap::collapse(text);
        const QString target = collapsed.isEmpty() ? text : collapsed;
        const QString name = collapsed.isEmpty() ? Buscar::Obtener_Nombre_Archivo(text)
                                                 : collapsed.mid(collapsed.lastIndexOf(u'\\') + 1);
        bool again = false;
        if (!name.isEmpty()) {
            QStringList &same = m_targets[name.toCaseFolded()];
            again = same.contains(target);
            if (!again)
                same << target;
        }
        if (!problem.isEmpty()) {
            refuse(number, shown(text), problem);
            return;
        }
        if (!again)
            m_paths.push_back({text, name});
    }

    void longLine(qint64 number, qint64 bytes)
    {
        entry();
        ++m_lines;
        refuse(number, QStringLiteral("(%1 bytes)").arg(bytes),
               QStringLiteral("la línea es demasiado larga para ser una ruta"));
    }

    qint64 lines() const { return m_lines; }

    // `goOn` (when given) is asked every 1024 names, as the reading asks it
    // every 1024 lines; when it says no, the rest is left out.
    Contents finish(const std::function<bool()> &goOn = {})
    {
        qint64 n = 0;
        for (const auto &[path, name] : m_paths) {
            if (goOn && (++n & 1023) == 0 && !goOn())
                break;
            const QString key = name.toCaseFolded();
            if (m_targets.value(key).size() > 1) {
                if (m_repeatedKeys.contains(key))
                    continue;
                m_repeatedKeys.insert(key);
                m_out.repeated << name;
                continue;
            }
            m_out.paths << path;
        }
        m_paths.clear();
        m_targets.clear();
        return std::move(m_out);
    }

    Contents &out() { return m_out; }

private:
    // A line of the block under the last header.
    void entry()
    {
        m_anyEntry = true;
        if (!m_headerShown && !m_header.isNull())
            m_out.label = m_header;
        m_headerShown = true;
    }

    void refuse(qint64 number, const QString &text, const QString &reason)
    {
        ++m_out.refusedCount;
        if (m_out.refused.size() < size_t(kMaxRefusedShown))
            m_out.refused.push_back({number, text, reason});
    }

    Contents m_out;
    QString m_header;          // the last header line read
    bool m_headerShown = false; // its block holds a line
    bool m_anyEntry = false;
    qint64 m_lines = 0;
    std::vector<std::pair<QString, QString>> m_paths; // line, file name
    QHash<QString, QStringList> m_targets;            // case-folded name -> the targets naming it
    QSet<QString> m_repeatedKeys;
};

} // namespace

ReadLimits &readLimits()
{
    static ReadLimits limits;
    return limits;
}

QString lineProblem(const QString &line)
{
    if (line.size() > kMaxLineChars)
        return QStringLiteral("la línea es demasiado larga para ser una ruta");
    for (const QChar c : line) {
        if (c.unicode() == 0)
            return QStringLiteral("contiene un carácter NUL");
        if (isControl(c))
            return QStringLiteral("contiene un carácter de control");
    }
    const QString collapsed = DriveMap::collapse(line);
    if (collapsed.isEmpty())
        return QStringLiteral("no es la ruta de un archivo en una unidad");
    if (collapsed.size() <= 3 || collapsed.endsWith(u'\\'))
        return QStringLiteral("no nombra un archivo");
    for (const QString &n : collapsed.mid(3).split(u'\\')) {
        if (!WinFs::isWindowsName(n))
            return QStringLiteral("«") + shown(n) + QStringLiteral("» no es un nombre válido en Windows");
    }
    if (!Unused::isAudioEnding(collapsed))
        return QStringLiteral("no es un archivo de audio");
    return {};
}

Contents read(const QStringList &lines)
{
    Collector c;
    qint64 number = 0;
    for (const QString &line : lines)
        c.line(line, ++number);
    return c.finish();
}

Contents readFile(int fd, const std::function<bool()> &goOn)
{
    const ReadLimits limits = readLimits();
    Collector c;
    std::vector<char> block(size_t(std::max<qint64>(limits.blockBytes, 16)));
    QByteArray line;
    bool utf8 = false;
    bool atStart = true;
    bool tooLong = false;
    bool blank = true;
    bool afterCr = false;
    qint64 lineBytes = 0;
    qint64 number = 0;
    qint64 total = 0;
    // Bytes enough for kMaxLineChars characters: one per character in
    // Windows-1252, up to three in UTF-8. More than that is too long unread.
    qint64 cap = kMaxLineChars;

    // False when the line is one more than the bound allows: reading stops
    // there, and the log is said to be cut.
    auto endLine = [&] {
        ++number;
        if (!blank && c.lines() >= limits.maxLines) {
            c.out().cut = true;
            return false;
        }
        if (blank) {
            // Blank, or the NULs a crash leaves at the end of a file.
        } else if (tooLong) {
            c.longLine(number, lineBytes);
        } else {
            const bool bad = utf8 && !QByteArrayView(line).isValidUtf8();
            const QString text = utf8 ? QString::fromUtf8(line) : Ansi::decode(line);
            if (text.size() > kMaxLineChars)
                c.longLine(number, lineBytes);
            else
                c.line(text, number, bad);
        }
        line.clear();
        lineBytes = 0;
        tooLong = false;
        blank = true;
        return true;
    };

    bool stop = false;
    while (!stop) {
        if (goOn && !goOn())
            break;
        const qint64 want = std::min<qint64>(qint64(block.size()), limits.maxBytes - total);
        if (want <= 0) {
            char more;
            const ssize_t n = SysCalls::retryInterrupted([&] { return ::read(fd, &more, 1); });
            c.out().cut = n > 0;
            break;
        }
        const ssize_t n = SysCalls::retryInterrupted([&] { return ::read(fd, block.data(), size_t(want)); });
        if (n < 0)
            c.out().readError = SafeFs::systemReason(errno);
        if (n <= 0)
            break;
        total += n;
        const char *p = block.data();
        const char *end = p + n;
        if (atStart) {
            atStart = false;
            if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) {
                utf8 = true;
                cap = qint64(kMaxLineChars) * 3;
                p += 3;
            }
        }
        while (p < end) {
            const char b = *p++;
            if (afterCr) {
                afterCr = false;
                if (b == '\n')
                    continue;
            }
            if (b == '\r' || b == '\n') {
                afterCr = b == '\r';
                if (!endLine()) {
                    stop = true;
                    break;
                }
                if (goOn && (number & 1023) == 0 && !goOn()) {
                    stop = true;
                    break;
                }
                continue;
            }
            ++lineBytes;
            if (b != 0 && b != ' ' && b != '\t')
                blank = false;
            if (tooLong)
                continue;
            if (line.size() >= cap) {
                tooLong = true;
                line = QByteArray();
                continue;
            }
            line.append(b);
        }
    }
    if (!stop && lineBytes > 0)
        endLine();
    c.out().bytesRead = total;
    return c.finish(goOn);
}

} // namespace DeletionLog
