#include "platform/WinFs.h"

#include "platform/DriveMap.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <cerrno>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace WinFs {
namespace {

struct Listing
{
    qint64 mtimeNs = -1;
    QStringList names;
};

QHash<QString, Listing> g_listing;

qint64 dirMtime(const QString &hostDir)
{
    struct stat st;
    if (::stat(QFile::encodeName(hostDir).constData(), &st) != 0)
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// A folder's names, listed again whenever the folder has changed since.
const QStringList &namesOf(const QString &hostDir)
{
    const qint64 mtime = dirMtime(hostDir);
    auto it = g_listing.find(hostDir);
    if (it == g_listing.end() || it->mtimeNs != mtime) {
        Listing l;
        l.mtimeNs = mtime;
        for (const Entry &e : listHostDir(hostDir))
            l.names << e.name;
        it = g_listing.insert(hostDir, l);
    }
    return it->names;
}

bool hostExists(const QString &p)
{
    struct stat st;
    return ::lstat(QFile::encodeName(p).constData(), &st) == 0;
}

} // namespace

bool isWindowsName(const QString &name)
{
    if (name.isEmpty() || name.endsWith(u'.') || name.endsWith(u' '))
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == u'\\' || u == u'/' || u == u':' || u == u'*'
            || u == u'?' || u == u'"' || u == u'<' || u == u'>' || u == u'|')
            return false;
    }
    // "CON", "con.wav", "Com1 .txt": the part before the first dot, blanks
    // at its end ignored.
    QString base = name.left(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
    while (base.endsWith(u' '))
        base.chop(1);
    base = base.toUpper();
    static const QStringList reserved = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                         QStringLiteral("NUL")};
    if (reserved.contains(base))
        return false;
    if (base.size() == 4 && (base.startsWith(QStringLiteral("COM")) || base.startsWith(QStringLiteral("LPT")))
        && base[3] >= u'1' && base[3] <= u'9')
        return false;
    return true;
}

bool isWindowsName(QByteArrayView raw)
{
    if (!raw.isValidUtf8())
        return false;
    return isWindowsName(QString::fromUtf8(raw));
}

QString hostPath(const QString &windowsPath)
{
    const QString direct = DriveMap::instance().toHost(windowsPath);
    if (direct.isEmpty() || hostExists(direct))
        return direct;

    // Resolve component by component, case-blind (".." already collapsed:
    // a name never leads out of its drive).
    const QString collapsed = DriveMap::collapse(windowsPath);
    const QString root = DriveMap::instance().toHost(collapsed.left(2) + u'\\');
    const QString rest = collapsed.mid(3);
    const QStringList parts = rest.split(u'\\', Qt::SkipEmptyParts);
    QString cur = root;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        QString next = cur == QStringLiteral("/") ? u'/' + part : cur + u'/' + part;
        if (!hostExists(next)) {
            for (const QString &n : namesOf(cur)) {
                if (n.compare(part, Qt::CaseInsensitive) == 0) {
                    next = cur == QStringLiteral("/") ? u'/' + n : cur + u'/' + n;
                    break;
                }
            }
        }
        cur = next;
    }
    return cur;
}

FileStat statPath(const QString &windowsPath, QString *host)
{
    FileStat out;
    QString h = DriveMap::instance().toHost(windowsPath);
    if (h.isEmpty())
        return out;
    QByteArray name = QFile::encodeName(h);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0) {
        h = hostPath(windowsPath);
        name = QFile::encodeName(h);
        if (::lstat(name.constData(), &st) != 0)
            return out;
    }
    if (host)
        *host = h;
    out.exists = true;
    if (S_ISLNK(st.st_mode)) {
        out.isLink = true;
        // A link whose target is gone names nothing that can be read.
        if (::stat(name.constData(), &st) != 0)
            return out;
    }
    out.isDir = S_ISDIR(st.st_mode);
    out.isFile = S_ISREG(st.st_mode);
    out.size = qint64(st.st_size);
    out.id = FileId{quint64(st.st_dev), quint64(st.st_ino)};
    out.links = quint64(st.st_nlink);
    const qsizetype slash = h.lastIndexOf(u'/');
    out.hidden = h.size() > slash + 1 && h[slash + 1] == u'.';
    return out;
}

bool findNormalFile(const QString &windowsPath, QString *host)
{
    // Regular files only: a pipe or device named like a project would block
    // or never end when read.
    const FileStat st = statPath(windowsPath, host);
    return st.isFile && !st.hidden;
}

bool exists(const QString &windowsPath)
{
    const QString h = hostPath(windowsPath);
    return !h.isEmpty() && QFileInfo::exists(h);
}

bool isDirectory(const QString &windowsPath)
{
    const QString h = hostPath(windowsPath);
    return !h.isEmpty() && QFileInfo(h).isDir();
}

qint64 fileSize(const QString &windowsPath)
{
    const QString h = hostPath(windowsPath);
    if (h.isEmpty())
        return -1;
    const QFileInfo fi(h);
    return fi.exists() ? fi.size() : -1;
}

QDateTime lastModified(const QString &windowsPath)
{
    const QString h = hostPath(windowsPath);
    return h.isEmpty() ? QDateTime() : QFileInfo(h).lastModified();
}

std::optional<FileId> fileId(const QString &windowsPath)
{
    const QString h = hostPath(windowsPath);
    if (h.isEmpty())
        return std::nullopt;
    struct stat st;
    if (::stat(QFile::encodeName(h).constData(), &st) != 0)
        return std::nullopt;
    return FileId{quint64(st.st_dev), quint64(st.st_ino)};
}

std::vector<Entry> listHostDir(const QString &hostDir)
{
    return listHostDir(QFile::encodeName(hostDir));
}

std::vector<Entry> listHostDir(const QByteArray &dirName)
{
    return listHostDir(dirName, nullptr);
}

std::vector<Entry> listHostDir(const QByteArray &dirName, int *error)
{
    std::vector<Entry> out;
    DIR *d = ::opendir(dirName.constData());
    if (error)
        *error = d ? 0 : errno;
    if (!d)
        return out;
    while (dirent *e = ::readdir(d)) {
        const char *n = e->d_name;
        if ((n[0] == '.' && n[1] == 0) || (n[0] == '.' && n[1] == '.' && n[2] == 0))
            continue;
        Entry entry;
        entry.raw = QByteArray(n);
        entry.name = QFile::decodeName(entry.raw);
        entry.windowsName = isWindowsName(QByteArrayView(entry.raw));
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st;
            const QByteArray full = dirName + '/' + n;
            if (::lstat(full.constData(), &st) == 0) {
                if (S_ISLNK(st.st_mode)) {
                    entry.isLink = true;
                    struct stat target;
                    entry.isDir = ::stat(full.constData(), &target) == 0 && S_ISDIR(target.st_mode);
                } else {
                    entry.isDir = S_ISDIR(st.st_mode);
                }
            }
        } else {
            entry.isDir = type == DT_DIR;
        }
        out.push_back(std::move(entry));
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(), [](const Entry &a, const Entry &b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return out;
}

void clearCache()
{
    g_listing.clear();
}

} // namespace WinFs
