#include "services/FindFiles.h"

#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "platform/WinPattern.h"
#include "services/BuscarPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTextStream>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <exception>
#include <new>
#include <vector>

namespace {

const QString kTitle = QStringLiteral("Velmar");
const QString kAceptar = QStringLiteral("Aceptar");

void message(const QString &title, const QString &text)
{
    Ask::question(title, text, {kAceptar});
}

QByteArray hostChild(const QByteArray &host, const QByteArray &name)
{
    return host == "/" ? '/' + name : host + '/' + name;
}

QString withoutTrailingSlash(QString host)
{
    while (host.size() > 1 && host.endsWith(u'/'))
        host.chop(1);
    return host;
}

// Blanks only, as the name test trims them.
QString trimBlanks(const QString &s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && s[a] == u' ')
        ++a;
    while (b > a && s[b - 1] == u' ')
        --b;
    return s.mid(a, b - a);
}

// What the search needs to know of an accepted entry beyond its name.
struct Meta
{
    bool found = false;
    qint64 size = 0;
    qint64 birth = -1, modified = -1, accessed = -1; // seconds since the epoch
};

Meta metaOf(const QByteArray &hostName)
{
    Meta m;
    struct statx st;
    const unsigned mask = STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_BTIME;
    // The file a link names; a link whose target is gone is described by
    // itself.
    if (::statx(AT_FDCWD, hostName.constData(), 0, mask, &st) != 0
        && ::statx(AT_FDCWD, hostName.constData(), AT_SYMLINK_NOFOLLOW, mask, &st) != 0)
        return m;
    m.found = true;
    m.size = S_ISREG(st.stx_mode) ? qint64(st.stx_size) : 0;
    m.modified = st.stx_mtime.tv_sec;
    m.accessed = st.stx_atime.tv_sec;
    // Creation is the birth time where the file system keeps one; otherwise
    // the last write, the earliest time the file is known to have existed.
    m.birth = (st.stx_mask & STATX_BTIME) ? qint64(st.stx_btime.tv_sec) : m.modified;
    return m;
}

QDateTime localDate(qint64 secs)
{
    if (secs < 0)
        return {};
    return QDateTime(QDateTime::fromSecsSinceEpoch(secs).date(), QTime(0, 0));
}

bool outside(const QDateTime &date, const QDateTime &from, const QDateTime &to)
{
    if (from.isValid() && (!date.isValid() || date < from))
        return true;
    if (to.isValid() && (!date.isValid() || date > to))
        return true;
    return false;
}

bool isLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The host folder of a drive root "X:\" of the drive map; "" when the text
// is no such root or the letter's folder does not exist.
QString driveRoot(const QString &root)
{
    if (root.size() != 3 || !isLetter(root[0]) || root[1] != u':' || root[2] != u'\\')
        return {};
    const QString host = DriveMap::instance().root(root[0]);
    if (host.isEmpty() || !QFileInfo(host).isDir())
        return {};
    return host;
}

// "D:" gets "\"; any other text not ending in ":\" gets ":\".
QString rootForSpace(const QString &drive)
{
    if (drive.size() == 2 && drive[1] == u':')
        return drive + u'\\';
    if (!drive.endsWith(QStringLiteral(":\\")))
        return drive + QStringLiteral(":\\");
    return drive;
}

// "D" gets ":\", "D:" gets "\".
QString rootForVolume(const QString &drive)
{
    if (drive.size() == 1)
        return drive + QStringLiteral(":\\");
    if (drive.size() == 2)
        return drive + u'\\';
    return drive;
}

QStorageInfo readyVolume(const QString &host)
{
    QStorageInfo info(host);
    return info.isValid() && info.isReady() ? info : QStorageInfo();
}

bool removableDevice(const QByteArray &device)
{
    if (!device.startsWith("/dev/"))
        return false;
    const QString name = QFile::decodeName(device.mid(5));
    const QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (sys.isEmpty())
        return false;
    for (const QString &f : {sys + QStringLiteral("/removable"), sys + QStringLiteral("/../removable")}) {
        QFile file(f);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll().trimmed() == "1";
    }
    return false;
}

// The value of `key` in `section` of a desktop-style key file ("" when absent).
QString keyFileValue(const QString &path, const QString &section, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inSection = false;
    const QString header = u'[' + section + u']';
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'[')) {
            inSection = line == header;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

// The program a desktop entry runs, as a host path ("" when not found).
QString programOfDesktopEntry(const QString &id)
{
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    if (file.isEmpty())
        return {};
    const QString exec = keyFileValue(file, QStringLiteral("Desktop Entry"), QStringLiteral("Exec"));
    QString program;
    if (exec.startsWith(u'"')) {
        const qsizetype end = exec.indexOf(u'"', 1);
        program = exec.mid(1, end < 0 ? -1 : end - 1);
    } else {
        program = exec.section(u' ', 0, 0);
    }
    if (program.isEmpty())
        return {};
    if (QFileInfo(program).isAbsolute())
        return QFileInfo(program).isExecutable() ? program : QString();
    return QStandardPaths::findExecutable(program);
}

// The desktop's default application for a type: the user's and the
// system's "mimeapps.list" choices first, then any application that says it
// opens the type.
QString defaultProgramFor(const QMimeType &type)
{
    QStringList names{type.name()};
    names << type.aliases() << type.allAncestors();
    QStringList lists;
    for (const QString &d : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << d + QStringLiteral("/mimeapps.list");
    for (const QString &d : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        lists << d + QStringLiteral("/mimeapps.list");
    QStringList caches;
    for (const QString &d : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        caches << d + QStringLiteral("/mimeinfo.cache");
    const QList<QPair<QStringList, QString>> sources = {
        {lists, QStringLiteral("Default Applications")},
        {lists, QStringLiteral("Added Associations")},
        {caches, QStringLiteral("MIME Cache")},
    };
    for (const QString &name : names) {
        for (const auto &[files, section] : sources) {
            for (const QString &f : files) {
                const QStringList ids = keyFileValue(f, section, name).split(u';', Qt::SkipEmptyParts);
                for (const QString &id : ids) {
                    const QString program = programOfDesktopEntry(id.trimmed());
                    if (!program.isEmpty())
                        return program;
                }
            }
        }
    }
    return {};
}

} // namespace

// The walk state of one search: the tests made ready once.
struct cFindFiles::Walk
{
    explicit Walk(const QStringList &patterns) : mask(patterns.size() == 1 ? patterns.first() : QStringLiteral("*.*"))
    {
        if (patterns.size() > 1) {
            for (const QString &p : patterns)
                extensions << p.toLower();
        }
    }

    WinPattern::Mask mask;
    QStringList extensions; // several patterns: extensions compared lower-cased
};

cFindFiles::cFindFiles(QObject *parent) : QObject(parent)
{
    // A drive whose medium is missing answers with an error, never with a
    // system dialog, on this host: nothing to set up for that.
    m_colDrives = pvGetDrives();
}

cFindFiles::~cFindFiles() = default;

QStringList cFindFiles::pvGetDrives()
{
    // Every letter of the drive map counts as present, as a drive without a
    // medium does on Windows.
    QStringList roots;
    const QMap<QChar, QString> drives = DriveMap::instance().drives();
    for (auto it = drives.cbegin(); it != drives.cend(); ++it)
        roots << QString(it.key()) + QStringLiteral(":\\");
    return roots;
}

QStringList cFindFiles::ColExtensions() const
{
    QStringList out;
    for (const QString &p : m_sPatterns) {
        if (!p.isEmpty())
            out << p;
    }
    return out;
}

void cFindFiles::setMaxFileSize(qint64 value)
{
    if (value == 0 || m_minFileSize == 0 || value >= m_minFileSize) {
        m_maxFileSize = value;
        return;
    }
    message(kTitle, QStringLiteral("El valor máximo no puede ser menor al valor mínimo. cambie el valor de MinFileSize."));
    m_maxFileSize = 0;
}

void cFindFiles::setMinFileSize(qint64 value)
{
    if (value == 0 || m_maxFileSize == 0 || value <= m_maxFileSize) {
        m_minFileSize = value;
        return;
    }
    message(kTitle, QStringLiteral("El valor mínimo no puede ser mayor al valor máximo. Cambie el valor de MaxFileSize."));
    m_minFileSize = 0;
}

bool cFindFiles::Find(const QString &sDirPath, const QString &sPattern, const QString &sFileName, qint32 lFindOption)
{
    // A search started from an event handler of a running one would reset
    // the counters and the results under the running walk: refused.
    if (m_searching)
        return false;
    m_searching = true;
    const auto idle = qScopeGuard([this] { m_searching = false; });

    static const QString forbidden = QStringLiteral("*|><?:/\\");
    for (const QChar c : sFileName) {
        if (forbidden.contains(c)) {
            message(QStringLiteral("Error en nombre de archivo"),
                    QStringLiteral("El nombre de archivo no puede contener ninguno de estos caracteres : / \\ * ? : | < > "));
            Q_EMIT EndSearch();
            return false;
        }
    }

    try {
        m_filesCount = 0;
        m_dirCount = 0;
        m_totalSize = 0;
        m_bStop = false;
        m_sFileName = sFileName;
        m_lFindOption = lFindOption;
        m_colFiles = QStringList();
        m_passedOver = QStringList();

        QString patterns = sPattern;
        if (!patterns.endsWith(u';'))
            patterns += u';';
        m_sPatterns = patterns.split(u';');
        if (m_sPatterns.size() > 1 && m_sPatterns.last().isEmpty())
            m_sPatterns.removeLast();
        if (m_sPatterns.size() > 1) {
            for (QString &p : m_sPatterns)
                p.remove(QStringLiteral("*."));
        } else if (m_sPatterns.first().isEmpty()) {
            m_sPatterns.first() = QStringLiteral("*.*");
        }

        Q_EMIT InitSearch();

        Walk walk(m_sPatterns);
        if (!sDirPath.isEmpty()) {
            pvSearchFolder(sDirPath, walk);
        } else {
            for (const QString &root : std::as_const(m_colDrives)) {
                EventPump::pumpEvents();
                pvSearchFolder(root, walk);
            }
        }
    } catch (const std::bad_alloc &) {
        message(QStringLiteral("Error: 7"), QStringLiteral("Memoria insuficiente"));
    } catch (const std::exception &e) {
        message(QStringLiteral("Error: 5"), QString::fromLocal8Bit(e.what()));
    }

    EventPump::pumpEvents();
    Q_EMIT EndSearch();
    m_bStop = false;
    return true;
}

void cFindFiles::StopSearch()
{
    EventPump::pumpEvents();
    m_bStop = true;
}

void cFindFiles::pvSearchFolder(const QString &folder, Walk &walk)
{
    // Pre-order, depth first, with an explicit stack rather than recursion
    // (a very deep tree must not overflow the call stack). Each folder is
    // listed once; its listing is closed before anything below it is walked.
    struct Pending
    {
        QString folder; // Windows path ending in "\"
        QByteArray host; // as bytes: a folder whose name is not UTF-8 is still walked
        bool windowsNames; // every folder name down to here can be a Windows name
    };
    std::vector<Pending> stack;
    {
        QString f = folder;
        if (!f.endsWith(u'\\'))
            f += u'\\';
        const QString host = WinFs::hostPath(f);
        stack.push_back(Pending{f, host.isEmpty() ? QByteArray() : QFile::encodeName(withoutTrailingSlash(host)), true});
    }

    while (!stack.empty()) {
        const Pending p = std::move(stack.back());
        stack.pop_back();
        // The only place a stop takes effect: the folder being searched is
        // always finished.
        if (m_bStop)
            return;
        EventPump::pumpEvents();
        if (p.host.isEmpty())
            continue;

        // An unreadable folder lists nothing and says nothing. Window events
        // run while a large one is read, as they do between two folders.
        struct Pumping final : Progress
        {
            void setRange(qint64, qint64) override {}
            void setValue(qint64) override {}
            bool cancelled() const override { return false; }
        } pumping;
        std::vector<WinFs::Entry> entries = WinFs::listHostDir(p.host, &pumping);

        std::vector<const WinFs::Entry *> subFolders;
        if (m_searchSubDirs) {
            for (const WinFs::Entry &e : entries) {
                // A link to a folder is neither walked nor counted: walking it
                // could loop for ever, or report the same files twice.
                if (e.isDir && !e.isLink) {
                    subFolders.push_back(&e);
                    ++m_dirCount;
                }
            }
        }

        int sincePump = 0;
        for (const WinFs::Entry &e : entries) {
            // A folder may hold a million names.
            if (++sincePump == 1024) {
                sincePump = 0;
                EventPump::pumpEvents();
            }
            // Folders (and links to folders) are never reported.
            if (e.isDir)
                continue;
            if (walk.extensions.isEmpty()) {
                if (!walk.mask.matches(e.name))
                    continue;
            } else {
                const QString ext = Buscar::Obtener_Extension(e.name).toLower();
                if (!walk.extensions.contains(ext))
                    continue;
            }
            if (!pvMatchName(e.name))
                continue;

            // Only the entries that passed the name tests are looked at: a
            // search for "*.vip" reads no more than the listings of the tree.
            // A file no Windows path can name is reported apart: whoever
            // searched must not take another file (or none) for it.
            if (!p.windowsNames || !e.windowsName) {
                m_passedOver << p.folder + e.name;
                continue;
            }
            const QByteArray hostName = hostChild(p.host, e.raw);
            const Meta meta = metaOf(hostName);
            if ((m_minFileSize != 0 && meta.size < m_minFileSize) || (m_maxFileSize != 0 && meta.size > m_maxFileSize))
                continue;
            if (m_attributes != 0) {
                qint32 word = AttrArchive;
                if (::access(hostName.constData(), W_OK) != 0)
                    word |= AttrReadOnly;
                if (e.name.startsWith(u'.'))
                    word |= AttrHidden;
                if (e.isLink)
                    word |= AttrReparsePoint;
                if (word != m_attributes)
                    continue;
            }
            if (outside(localDate(meta.birth), m_dateCreationFrom, m_dateCreationTo)
                || outside(localDate(meta.modified), m_dateLastModifiedFrom, m_dateLastModifiedTo)
                || outside(localDate(meta.accessed), m_dateLastAccessFrom, m_dateLastAccessTo))
                continue;
            pvAddFile(p.folder + e.name, meta.size);
        }

        for (auto it = subFolders.rbegin(); it != subFolders.rend(); ++it)
            stack.push_back(Pending{p.folder + (*it)->name + u'\\', hostChild(p.host, (*it)->raw),
                                    p.windowsNames && (*it)->windowsName});
        subFolders.clear();
        releaseInPieces(entries, pumping);
    }
}

void cFindFiles::pvAddFile(const QString &path, qint64 size)
{
    m_totalSize += double(size);
    ++m_filesCount;
    Q_EMIT GetFile(path);
    m_colFiles << path;
}

bool cFindFiles::pvMatchName(const QString &name) const
{
    // The base name is made from the entry's own name, whatever characters it
    // holds: "Mezcla [v2].vip" is a project like any other.
    QString base = name.toLower();
    const qsizetype dot = base.lastIndexOf(u'.');
    if (dot >= 0)
        base.truncate(dot);
    if (m_lFindOption == 1)
        return !base.isEmpty() && base.contains(m_sFileName.toLower());
    return trimBlanks(base) == trimBlanks(m_sFileName.toLower());
}

QDateTime cFindFiles::GetFileDateTime(const QString &sPath, qint32 lOptionDate)
{
    if (lOptionDate < 0 || lOptionDate > 8)
        return {};
    // A path ending in a separator names no entry.
    if (sPath.isEmpty() || sPath.endsWith(u'\\') || sPath.endsWith(u'/'))
        return {};
    const WinFs::FileStat st = WinFs::statPath(sPath);
    if (!st.exists)
        return {};
    const Meta meta = metaOf(QFile::encodeName(WinFs::hostPath(sPath)));
    if (!meta.found)
        return {};
    const qint64 stamps[3] = {meta.birth, meta.modified, meta.accessed};
    const QDateTime local = QDateTime::fromSecsSinceEpoch(stamps[lOptionDate % 3]);
    switch (lOptionDate / 3) {
    case 0:
        return QDateTime(local.date(), QTime(0, 0));
    case 1:
        return QDateTime(QDate(1899, 12, 30), QTime(local.time().hour(), local.time().minute()));
    default:
        return QDateTime(local.date(), QTime(local.time().hour(), local.time().minute(), local.time().second()));
    }
}

qint64 cFindFiles::GetDiskFreeSpace(const QString &sDrive, qint64 *FreeSpace, qint64 *TotalSpace)
{
    // A look at a mapped folder's volume answers at once: no busy pointer.
    qint64 free = 0, total = 0;
    const QString host = driveRoot(rootForSpace(sDrive));
    if (!host.isEmpty()) {
        const QStorageInfo info = readyVolume(host);
        if (info.isValid()) {
            free = info.bytesFree();
            total = info.bytesTotal();
        }
    }
    if (FreeSpace)
        *FreeSpace = free;
    if (TotalSpace)
        *TotalSpace = total;
    return 0;
}

QString cFindFiles::CompactPath(const QString &sPath, qint32 lMaxChar)
{
    // The result never exceeds the 256-character buffer it is made for,
    // whatever size the caller names.
    const qsizetype room = qMin<qint32>(lMaxChar, 256) - 1;
    if (room <= 0)
        return {};
    QString path = sPath;
    const qsizetype nul = path.indexOf(QChar(0));
    if (nul >= 0)
        path.truncate(nul);
    if (path.size() <= room)
        return path;
    const QString dots = QStringLiteral("...");
    const qsizetype slash = path.lastIndexOf(u'\\');
    const QString name = path.mid(slash + 1);
    if (slash >= 0 && room >= dots.size() + 1 + name.size())
        return path.left(room - dots.size() - 1 - name.size()) + dots + u'\\' + name;
    if (room <= dots.size())
        return dots.left(room);
    return name.left(room - dots.size()) + dots;
}

QString cFindFiles::GetDriveInfo(const QString &sDrive, quint32 *lSerialNumber, QString *sLabel, QString *sFileSystem)
{
    const QString host = driveRoot(rootForVolume(sDrive));
    if (host.isEmpty())
        return {};
    const QStorageInfo info = readyVolume(host);
    if (!info.isValid())
        return {};
    const QString label = info.name();
    if (sLabel)
        *sLabel = label;
    if (sFileSystem)
        *sFileSystem = QString::fromLocal8Bit(info.fileSystemType());
    if (lSerialNumber) {
        // The volume's identity as the host gives it, cut to 32 bits.
        struct statvfs sv;
        if (::statvfs(QFile::encodeName(host).constData(), &sv) == 0)
            *lSerialNumber = quint32(sv.f_fsid);
    }
    return label;
}

QString cFindFiles::GetExecutable(const QString &sPath)
{
    const QString host = WinFs::hostPath(sPath);
    if (host.isEmpty())
        return {};
    const QFileInfo fi(host);
    if (!fi.exists())
        return {};
    QString program;
    if (fi.isFile() && fi.isExecutable())
        program = fi.absoluteFilePath();
    else
        program = defaultProgramFor(QMimeDatabase().mimeTypeForFile(fi));
    if (program.isEmpty())
        return {};
    return DriveMap::instance().toWindows(program).left(255);
}

bool cFindFiles::DriveIsReady(const QString &sDrive)
{
    const QString host = driveRoot(rootForVolume(sDrive));
    return !host.isEmpty() && readyVolume(host).isValid();
}

QString cFindFiles::GetDriveType(const QString &sDrive)
{
    const QString host = driveRoot(rootForSpace(sDrive));
    if (host.isEmpty())
        return QStringLiteral("DRIVE_NO_ROOT_DIR");
    const QStorageInfo info(host);
    if (!info.isValid())
        return QStringLiteral("DRIVE_UNKNOWN");
    const QByteArray fs = info.fileSystemType();
    if (fs == "tmpfs" || fs == "ramfs")
        return QStringLiteral("DRIVE_RAMDISK");
    if (fs == "iso9660" || fs == "udf")
        return QStringLiteral("DRIVE_CDROM");
    static const QList<QByteArray> remote = {"nfs",  "nfs4",      "cifs",   "smb3",      "smbfs",     "sshfs",
                                             "fuse.sshfs", "9p", "afs", "ceph", "glusterfs", "davfs",
                                             "fuse.rclone", "fuse.davfs2"};
    if (remote.contains(fs))
        return QStringLiteral("DRIVE_REMOTE");
    if (removableDevice(info.device()))
        return QStringLiteral("DRIVE_REMOVABLE");
    return QStringLiteral("DRIVE_FIXED");
}

bool cFindFiles::IsDirectory(const QString &sPath)
{
    return WinFs::isDirectory(sPath);
}

bool cFindFiles::FileExist(const QString &strFile)
{
    QString path = strFile;
    if (path.size() >= 4 && path.endsWith(u'\\'))
        path.chop(1);
    // The Windows file search finds no entry for a root or a name ending in
    // a separator.
    if (path.isEmpty() || path.endsWith(u'\\') || path.endsWith(u'/') || path.endsWith(u':'))
        return false;
    const qsizetype slash = path.lastIndexOf(u'\\');
    const QString name = path.mid(slash + 1);
    if (slash >= 0 && (name.contains(u'*') || name.contains(u'?'))) {
        const QString host = WinFs::hostPath(path.left(slash + 1));
        if (host.isEmpty())
            return false;
        for (const WinFs::Entry &e : WinFs::listHostDir(host)) {
            if (WinPattern::matches(name, e.name))
                return true;
        }
        return false;
    }
    return WinFs::statPath(path).exists;
}

QString cFindFiles::GetFormatSize(double n_bytes)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (n_bytes < 1024)
        return locale.toString(n_bytes, 'g', QLocale::FloatingPointShortest) + QStringLiteral(" bytes");
    if (n_bytes < 1048576)
        return locale.toString(n_bytes / 1024, 'f', 2) + QStringLiteral(" KB");
    if (n_bytes < 1073741824)
        return locale.toString(n_bytes / 1048576, 'f', 2) + QStringLiteral(" MB");
    return locale.toString(n_bytes / 1073741824, 'f', 2) + QStringLiteral(" GB");
}

QString cFindFiles::GetFileType(const QString &sPath)
{
    const QString host = WinFs::hostPath(sPath);
    if (host.isEmpty() || !QFileInfo::exists(host))
        return {};
    return QMimeDatabase().mimeTypeForFile(host).comment().left(79);
}

QString cFindFiles::GetFileName(const QString &sPath)
{
    return Buscar::Obtener_Nombre_Archivo(sPath);
}

QString cFindFiles::GetExtension(const QString &sPath)
{
    return Buscar::Obtener_Extension(sPath);
}

QString cFindFiles::GetDriveFromPath(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    const QString sPath = nul < 0 ? text : text.left(nul);
    if (sPath.size() >= 2 && isLetter(sPath[0]) && sPath[1] == u':') {
        if (sPath.size() >= 3 && sPath[2] == u'\\')
            return sPath.left(3);
        return sPath.left(2);
    }
    if (sPath.startsWith(QStringLiteral("\\\\"))) {
        const qsizetype server = sPath.indexOf(u'\\', 2);
        if (server <= 2)
            return {};
        const qsizetype share = sPath.indexOf(u'\\', server + 1);
        return share < 0 ? sPath : sPath.left(share);
    }
    return {};
}
