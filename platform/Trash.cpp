#include "platform/Trash.h"

#include "platform/FileRecord.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPair>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Trash {
namespace {

// A descriptor, closed when it goes.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd &operator=(Fd &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int m_fd = -1;
};

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

QString shown(const QByteArray &path)
{
    return QFile::decodeName(path);
}

QByteArray join(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray uidName()
{
    return QByteArray::number(qulonglong(::geteuid()));
}

// ---- the volumes ----

std::optional<QStringList> &givenVolumes()
{
    static std::optional<QStringList> given;
    return given;
}

// A path as the system resolves it (links followed, "." and ".." gone),
// or as given, cleaned, when it cannot be resolved.
QByteArray realPath(const QByteArray &path)
{
    char *real = ::realpath(path.constData(), nullptr);
    if (!real)
        return QFile::encodeName(QDir::cleanPath(QFile::decodeName(path)));
    const QByteArray out(real);
    std::free(real);
    return out;
}

// The same for a path that may not exist yet: the real path of the nearest
// folder of it that exists, with the rest of the path after it.
QByteArray realPathToBe(const QByteArray &path)
{
    QByteArray head = path;
    QByteArray tail;
    for (;;) {
        char *real = ::realpath(head.constData(), nullptr);
        if (real) {
            QByteArray out(real);
            std::free(real);
            if (out.endsWith('/') && tail.startsWith('/'))
                out.chop(1);
            return out + tail;
        }
        const qsizetype slash = head.lastIndexOf('/');
        if (slash < 0 || head == "/")
            return path;
        tail = head.mid(slash) + tail;
        head = slash == 0 ? QByteArray("/") : head.left(slash);
    }
}

// The real path of an open folder, as the system names it now (through the
// mount it was opened through); `fallback` resolved when that is not known.
QByteArray realPathOf(int fd, const QByteArray &fallback)
{
    char buffer[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    if (n > 0 && size_t(n) < sizeof buffer && buffer[0] == '/')
        return QByteArray(buffer, n);
    return realPath(fallback);
}

// A mount point of the mount list, where a blank, a tab, a line end and "\"
// are written as "\" and three octal digits.
QByteArray unescapeMount(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

QList<QByteArray> systemMounts()
{
    QList<QByteArray> out;
    QFile info(QStringLiteral("/proc/self/mountinfo"));
    if (info.open(QIODevice::ReadOnly)) {
        // "id parent major:minor root mount-point options ...": every mount,
        // bind mounts included, by the path it is mounted on.
        for (const QByteArray &line : info.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() > 4 && fields[4].startsWith('/')) {
                const QByteArray mount = unescapeMount(fields[4]);
                if (!out.contains(mount))
                    out << mount;
            }
        }
    } else {
        for (const QStorageInfo &v : QStorageInfo::mountedVolumes()) {
            const QByteArray mount = QFile::encodeName(v.rootPath());
            if (mount.startsWith('/') && !out.contains(mount))
                out << mount;
        }
    }
    if (!out.contains("/"))
        out.prepend("/");
    return out;
}

QList<QByteArray> mountsOf(const QStringList &paths)
{
    QList<QByteArray> out;
    for (const QString &p : paths) {
        if (p.isEmpty())
            continue;
        const QByteArray real = realPath(QFile::encodeName(p));
        if (!out.contains(real))
            out << real;
    }
    return out;
}

QList<QByteArray> currentMounts()
{
    if (givenVolumes())
        return mountsOf(*givenVolumes());
    if (qEnvironmentVariableIsSet("VELMAR_TRASH_VOLUMES"))
        return mountsOf(qEnvironmentVariable("VELMAR_TRASH_VOLUMES").split(u';', Qt::SkipEmptyParts));
    return systemMounts();
}

bool holds(const QByteArray &mount, const QByteArray &path)
{
    if (mount == "/")
        return path.startsWith('/');
    return path.startsWith(mount) && (path.size() == mount.size() || path[mount.size()] == '/');
}

// The mount a real path lies on: the longest mount point that holds it; -1
// when none does.
qsizetype mountOf(const QList<QByteArray> &mounts, const QByteArray &path)
{
    qsizetype best = -1;
    for (qsizetype i = 0; i < mounts.size(); ++i) {
        if (holds(mounts[i], path) && (best < 0 || mounts[i].size() > mounts[best].size()))
            best = i;
    }
    return best;
}

// ---- the trash folders ----

QByteArray dataFolder()
{
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

// One trash, held open: what is done through it happens in the folders that
// were checked, whatever is renamed meanwhile.
struct Bin
{
    Fd folder, files, info;
    QByteArray path; // the trash folder, for the texts
    QByteArray top;  // the volume's top folder; empty for the home trash
    dev_t device = 0;
    ino_t inode = 0;
};
using BinPtr = std::shared_ptr<Bin>;

// A trash looked for: open, missing (there is none: nothing wrong), or
// refused (the reason says why).
struct Found
{
    BinPtr bin;
    bool missing = false;
    QString why;
};

enum class Make { No, Yes };

// Opens the folder `name` of `parent` as a level of a trash: a real folder,
// a link never followed, owned by the user. With Make::Yes a missing one is
// made (owner only). `missing` tells an absent folder (not made) apart.
Fd openLevel(int parent, const QByteArray &name, const QByteArray &path, Make make, QString *why, bool *missing)
{
    *missing = false;
    int fd = ::openat(parent, name.constData(), kFolderFlags | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT && make == Make::Yes) {
        if (::mkdirat(parent, name.constData(), 0700) != 0 && errno != EEXIST) {
            *why = QStringLiteral("no se puede crear ") + shown(path) + QStringLiteral(": ")
                + SafeFs::systemReason(errno);
            return Fd();
        }
        fd = ::openat(parent, name.constData(), kFolderFlags | O_NOFOLLOW);
    }
    if (fd < 0) {
        const int error = errno;
        struct stat st;
        if (error == ENOENT) {
            *missing = true;
            *why = QStringLiteral("no existe ") + shown(path);
        } else if (::fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
            *why = shown(path) + QStringLiteral(" es un enlace");
        } else if (error == ENOTDIR) {
            *why = shown(path) + QStringLiteral(" no es una carpeta");
        } else {
            *why = QStringLiteral("no se puede abrir ") + shown(path) + QStringLiteral(": ")
                + SafeFs::systemReason(error);
        }
        return Fd();
    }
    Fd out(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = shown(path) + QStringLiteral(" no es una carpeta");
        return Fd();
    }
    if (st.st_uid != ::geteuid()) {
        *why = shown(path) + QStringLiteral(" no es del usuario");
        return Fd();
    }
    return out;
}

// Opens the trash `name` of `parent` with its "files" and "info" folders.
// Without Make::Yes, a missing "files" or "info" is left closed.
Found openBin(int parent, const QByteArray &name, const QByteArray &path, const QByteArray &top, Make make)
{
    Found out;
    auto bin = std::make_shared<Bin>();
    bin->path = path;
    bin->top = top;
    bool missing = false;
    bin->folder = openLevel(parent, name, path, make, &out.why, &missing);
    if (!bin->folder.isOpen()) {
        out.missing = missing;
        return out;
    }
    for (auto [fd, sub] : {std::pair{&bin->files, "files"}, std::pair{&bin->info, "info"}}) {
        *fd = openLevel(bin->folder.get(), sub, join(path, sub), make, &out.why, &missing);
        if (!fd->isOpen() && !(missing && make == Make::No))
            return out;
    }
    struct stat st;
    ::fstat(bin->folder.get(), &st);
    bin->device = st.st_dev;
    bin->inode = st.st_ino;
    out.why.clear();
    out.bin = std::move(bin);
    return out;
}

// The home trash. The data folder is the user's own setting: made when
// missing and followed where it is a link; its "Trash" is a trash level.
Found openHome(Make make)
{
    const QByteArray data = dataFolder();
    if (data.isEmpty())
        return {nullptr, false, QStringLiteral("no hay carpeta de datos del usuario")};
    if (make == Make::Yes && !QDir().mkpath(QFile::decodeName(data)))
        return {nullptr, false, QStringLiteral("no se puede crear ") + shown(data)};
    const Fd folder(::open(data.constData(), kFolderFlags));
    if (!folder.isOpen()) {
        if (errno == ENOENT && make == Make::No)
            return {nullptr, true, {}};
        return {nullptr, false, QStringLiteral("no se puede abrir ") + shown(data) + QStringLiteral(": ")
                                    + SafeFs::systemReason(errno)};
    }
    return openBin(folder.get(), "Trash", join(data, "Trash"), {}, make);
}

// A volume's shared trash "<top>/.Trash/<uid>": only under a ".Trash" that
// is a real folder with the sticky bit (so no one can rename another's
// folder); anything else is no trash of ours, and is missing.
Found openShared(int top, const QByteArray &topPath, Make make)
{
    const QByteArray dot = join(topPath, ".Trash");
    const Fd shared(::openat(top, ".Trash", kFolderFlags | O_NOFOLLOW));
    struct stat st;
    if (!shared.isOpen() || ::fstat(shared.get(), &st) != 0 || !S_ISDIR(st.st_mode) || !(st.st_mode & S_ISVTX))
        return {nullptr, true, shown(dot) + QStringLiteral(" no es una papelera compartida")};
    return openBin(shared.get(), uidName(), join(dot, uidName()), topPath, make);
}

// A volume's own trash of the user "<top>/.Trash-<uid>".
Found openOwn(int top, const QByteArray &topPath, Make make)
{
    const QByteArray name = ".Trash-" + uidName();
    return openBin(top, name, join(topPath, name), topPath, make);
}

// Every trash of the user that may be there, opened without making any,
// each once (the home trash first).
template <typename Visit>
void forEachBin(Visit visit)
{
    QSet<QPair<quint64, quint64>> seen;
    const auto once = [&](Found found) {
        if (found.bin) {
            const QPair<quint64, quint64> id(quint64(found.bin->device), quint64(found.bin->inode));
            if (seen.contains(id))
                return;
            seen.insert(id);
        }
        visit(std::move(found));
    };
    once(openHome(Make::No));
    for (const QByteArray &top : currentMounts()) {
        const Fd folder(::open(top.constData(), kFolderFlags));
        if (!folder.isOpen())
            continue;
        once(openShared(folder.get(), top, Make::No));
        once(openOwn(folder.get(), top, Make::No));
    }
}

// The trash that takes a file whose folder really lies at `folder`: the
// home trash when it lies on the same mount, else the mount's own trash
// (its shared ".Trash/<uid>" first). A trash that breaks a rule is not
// used.
Found trashFor(const QByteArray &folder)
{
    const QList<QByteArray> mounts = currentMounts();
    const qsizetype mount = mountOf(mounts, folder);
    const qsizetype home = mountOf(mounts, join(realPathToBe(dataFolder()), "Trash"));
    if (mount == home)
        return openHome(Make::Yes);
    if (mount < 0)
        return {nullptr, false, shown(folder) + QStringLiteral(" no está en ningún volumen conocido")};
    const QByteArray &top = mounts[mount];
    const Fd topFolder(::open(top.constData(), kFolderFlags));
    if (!topFolder.isOpen())
        return {nullptr, false, QStringLiteral("no se puede abrir ") + shown(top) + QStringLiteral(": ")
                                    + SafeFs::systemReason(errno)};
    Found shared = openShared(topFolder.get(), top, Make::Yes);
    if (shared.bin)
        return shared;
    Found own = openOwn(topFolder.get(), top, Make::Yes);
    if (!own.bin && !shared.missing)
        own.why = shared.why + QStringLiteral("; ") + own.why;
    return own;
}

// The trash found for a folder, so that a run of many files from one folder
// looks for it once. A trash that went away, or a folder that is now on
// another volume, shows at the next move (the record cannot be created, or
// the rename says "cross-device"): the entry is dropped and looked for again.
QHash<QByteArray, BinPtr> &trashOfFolder()
{
    static QHash<QByteArray, BinPtr> cache;
    return cache;
}

// For each name that was already taken in a trash, the next number to try,
// so that trashing "Toma 1.wav" for the hundredth time tries one name, not a
// hundred. Only a start: every name is still created exclusively.
QHash<QByteArray, int> &nextNumber()
{
    static QHash<QByteArray, int> cache;
    return cache;
}

BinPtr cachedTrashFor(const QByteArray &folder, QString *why, bool fresh)
{
    // The data folder is part of the key: it decides the home trash.
    const QByteArray key = dataFolder() + '\n' + folder;
    if (!fresh) {
        const auto it = trashOfFolder().constFind(key);
        if (it != trashOfFolder().constEnd())
            return it.value();
    }
    Found found = trashFor(folder);
    if (!found.bin) {
        trashOfFolder().remove(key);
        *why = found.why;
    } else {
        trashOfFolder().insert(key, found.bin);
    }
    return found.bin;
}

QByteArray numbered(const QByteArray &base, int n)
{
    if (n <= 1)
        return base;
    const qsizetype dot = base.lastIndexOf('.');
    const QByteArray number = QByteArray::number(n);
    return dot > 0 ? base.left(dot) + '.' + number + base.mid(dot) : base + '.' + number;
}

// The record's "DeletionDate" (local time, to the second). Made once a
// second: the local time costs a look at the time zone file every call.
QByteArray deletionDate()
{
    static qint64 second = -1;
    static QByteArray text;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (now != second) {
        second = now;
        text = QDateTime::fromSecsSinceEpoch(now).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    }
    return text;
}

// The record's "Path": absolute in the home trash; in a volume's trash
// relative to the volume's top folder, so that the disk's trash still
// names the file when the disk is mounted elsewhere.
QByteArray originalPath(const Bin &bin, const QByteArray &absolute, const QByteArray &folder, const QByteArray &base)
{
    if (bin.top.isEmpty() || !holds(bin.top, folder))
        return absolute;
    const QByteArray below = folder.mid(bin.top.endsWith('/') ? bin.top.size() : bin.top.size() + 1);
    return below.isEmpty() ? base : below + '/' + base;
}

// renameat() that never replaces: the trash may hold a file of that name
// with no record (left by another program).
int renameNoReplace(int fromDir, const char *from, int toDir, const char *to)
{
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without the flag: look first (the record, created
    // exclusively, already keeps other deletions of ours off the name).
    struct stat st;
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(fromDir, from, toDir, to);
}

// Moves `from` (a name in `fromDir`, or a path with AT_FDCWD) whose path is
// `absolute` and whose folder really lies at `folder` to the trash.
// `check`, when given, runs right before each move: a failure leaves the
// file where it is.
ShellResult moveImpl(int fromDir, const QByteArray &from, const QByteArray &absolute, const QByteArray &folder,
                     const std::function<ShellResult()> &check);

// Removes every entry of an open folder whose real path is `path`: a link
// is removed itself, a folder emptied through its own handle, never entered
// when another volume is mounted on it (another device, or one of the
// system's `mounts`, as a bind mount is). The first failure goes to `error`.
bool removeEntries(int dir, const QByteArray &path, int depth, const QSet<QByteArray> &mounts, QString *error)
{
    const auto note = [&](const QByteArray &what, const QString &reason) {
        if (error->isEmpty())
            *error = QStringLiteral("No se ha podido eliminar: ") + shown(what) + QStringLiteral(" (") + reason
                + u')';
        return false;
    };
    struct stat self;
    if (::fstat(dir, &self) != 0)
        return note(path, SafeFs::systemReason(errno));
    // The names first: a folder changed while read may skip some.
    std::vector<QByteArray> names;
    {
        const int copy = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
        DIR *stream = copy >= 0 ? ::fdopendir(copy) : nullptr;
        if (!stream) {
            const int e = errno;
            if (copy >= 0)
                ::close(copy);
            return note(path, SafeFs::systemReason(e));
        }
        ::rewinddir(stream);
        while (const dirent *e = ::readdir(stream)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        }
        ::closedir(stream);
    }
    bool ok = true;
    for (const QByteArray &name : names) {
        const QByteArray inner = join(path, name);
        struct stat st;
        if (::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                ok = note(inner, SafeFs::systemReason(errno));
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            if (::unlinkat(dir, name.constData(), 0) != 0 && errno != ENOENT)
                ok = note(inner, SafeFs::systemReason(errno));
            continue;
        }
        if (st.st_dev != self.st_dev || mounts.contains(inner)) {
            ok = note(inner, QStringLiteral("hay otro volumen montado en ella"));
            continue;
        }
        if (depth >= 512) {
            ok = note(inner, QStringLiteral("demasiadas carpetas una dentro de otra"));
            continue;
        }
        const Fd sub(::openat(dir, name.constData(), kFolderFlags | O_NOFOLLOW));
        struct stat opened;
        if (!sub.isOpen() || ::fstat(sub.get(), &opened) != 0 || opened.st_dev != st.st_dev
            || opened.st_ino != st.st_ino) {
            ok = note(inner, sub.isOpen() ? QStringLiteral("ha cambiado mientras se vaciaba")
                                          : SafeFs::systemReason(errno));
            continue;
        }
        ok = removeEntries(sub.get(), inner, depth + 1, mounts, error) && ok;
        if (::unlinkat(dir, name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT)
            ok = note(inner, SafeFs::systemReason(errno));
    }
    return ok;
}

// Why a trash of the user's that breaks a rule is left as it is.
QString refusal(const Found &found)
{
    return QStringLiteral("No se vacía la papelera: ") + found.why;
}

bool hasEntry(int dir)
{
    const int copy = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
    DIR *stream = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!stream) {
        if (copy >= 0)
            ::close(copy);
        return false;
    }
    ::rewinddir(stream);
    bool found = false;
    while (const dirent *e = ::readdir(stream)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
            found = true;
            break;
        }
    }
    ::closedir(stream);
    return found;
}

} // namespace

QStringList volumes()
{
    QStringList out;
    for (const QByteArray &m : currentMounts())
        out << QFile::decodeName(m);
    return out;
}

QStringList systemVolumes()
{
    QStringList out;
    for (const QByteArray &m : systemMounts())
        out << QFile::decodeName(m);
    return out;
}

void setVolumes(const QStringList &mountPoints)
{
    givenVolumes() = mountPoints;
    trashOfFolder().clear();
}

void useDefaultVolumes()
{
    givenVolumes().reset();
    trashOfFolder().clear();
}

ShellResult moveToTrash(const FileRecord &record)
{
    SafeFs::Check why;
    const SafeFs::Folder folder = SafeFs::Folder::parentOf(record, &why);
    if (!folder.isOpen())
        return why.result();
    const QByteArray name = record.name();
    const QByteArray host = record.host();
    const QByteArray real = realPathOf(folder.fd(), host.left(host.lastIndexOf('/')));
    return moveImpl(folder.fd(), name, host, real, [&] { return SafeFs::compare(folder, name, record).result(); });
}

// Written here rather than taken from QFile::moveToTrash: the Qt 6.4 of
// Debian 12, when the user's data folder does not exist yet, "succeeds" by
// moving the file into a "files" folder under the process's current folder.
ShellResult moveToTrash(const QString &hostPath)
{
    struct stat st;
    const QString clean
        = QDir::isAbsolutePath(hostPath) ? QDir::cleanPath(hostPath) : QDir(QDir::currentPath()).absoluteFilePath(hostPath);
    const QByteArray absolute = QFile::encodeName(QDir::cleanPath(clean));
    if (::lstat(absolute.constData(), &st) != 0)
        return ShellResult::failed(QStringLiteral("El archivo no existe: ") + hostPath);
    const qsizetype slash = absolute.lastIndexOf('/');
    const QByteArray folder = realPath(slash > 0 ? absolute.left(slash) : QByteArray("/"));
    return moveImpl(AT_FDCWD, absolute, absolute, folder, {});
}

namespace {

ShellResult moveImpl(int fromDir, const QByteArray &from, const QByteArray &absolute, const QByteArray &folder,
                     const std::function<ShellResult()> &check)
{
    const QByteArray base = absolute.mid(absolute.lastIndexOf('/') + 1);
    QString why;
    bool fresh = false;
    BinPtr bin = cachedTrashFor(folder, &why, fresh);
    const auto noTrash = [&] {
        return ShellResult::failed(QStringLiteral("Ninguna papelera puede recibir ") + shown(absolute)
                                   + QStringLiteral(" (") + why + u')');
    };
    if (!bin)
        return noTrash();

    // The record first, created exclusively so two deletions never share a
    // name; then the file, by rename only (never copied and erased), never
    // onto a file already there.
    QByteArray info;
    QByteArray numberKey;
    int n = 1;
    int tries = 0;
    const auto start = [&] {
        info = "[Trash Info]\nPath=" + originalPath(*bin, absolute, folder, base).toPercentEncoding("/")
            + "\nDeletionDate=" + deletionDate() + "\n";
        numberKey = bin->path + '/' + base;
        n = nextNumber().value(numberKey, 1);
    };
    start();
    // Looks for the trash again, once, and starts the names over there.
    const auto findAgain = [&] {
        fresh = true;
        bin = cachedTrashFor(folder, &why, fresh);
        if (!bin)
            return false;
        start();
        --n;
        tries = -1;
        return true;
    };
    for (; tries < 10000; ++tries, ++n) {
        const QByteArray name = numbered(base, n);
        const QByteArray infoName = name + ".trashinfo";
        const int fd = ::openat(bin->info.get(), infoName.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            if (errno == ENOENT && !fresh) {
                // The trash went away since it was found: make it again.
                if (!findAgain())
                    return noTrash();
                continue;
            }
            return ShellResult::failed(QStringLiteral("No se puede escribir en la papelera ") + shown(bin->path)
                                       + QStringLiteral(" (") + SafeFs::systemReason(errno) + u')');
        }
        const bool written = ::write(fd, info.constData(), size_t(info.size())) == info.size();
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            ::unlinkat(bin->info.get(), infoName.constData(), 0);
            return ShellResult::failed(QStringLiteral("No se puede escribir en la papelera ") + shown(bin->path));
        }
        if (check) {
            const ShellResult same = check();
            if (!same.done()) {
                ::unlinkat(bin->info.get(), infoName.constData(), 0);
                return same;
            }
        }
        if (renameNoReplace(fromDir, from.constData(), bin->files.get(), name.constData()) != 0) {
            const int error = errno;
            ::unlinkat(bin->info.get(), infoName.constData(), 0);
            if (error == EEXIST || error == ENOTEMPTY)
                continue;
            if ((error == EXDEV || error == ENOENT) && !fresh) {
                // The folder is on another volume now (its own trash), or
                // the trash lost its "files" folder: look again, once.
                if (!findAgain())
                    return noTrash();
                continue;
            }
            return ShellResult::failed(QStringLiteral("No se puede enviar a la papelera: ") + shown(absolute)
                                       + QStringLiteral(" (") + SafeFs::systemReason(error) + u')');
        }
        if (n > 1)
            nextNumber().insert(numberKey, n + 1);
        return ShellResult::ok();
    }
    return ShellResult::failed(QStringLiteral("Demasiados archivos con ese nombre en la papelera: ") + shown(base));
}

} // namespace

QStringList trashFolders()
{
    QStringList out;
    forEachBin([&](const Found &found) {
        if (found.bin)
            out << shown(found.bin->path);
    });
    return out;
}

ShellResult emptyAll()
{
    QString error;
    bool ok = true;
    const QList<QByteArray> system = systemMounts();
    const QSet<QByteArray> mounts(system.begin(), system.end());
    forEachBin([&](const Found &found) {
        if (!found.bin) {
            // A trash of the user's that breaks a rule is left as it is.
            if (!found.missing) {
                ok = false;
                if (error.isEmpty())
                    error = refusal(found);
            }
            return;
        }
        for (const auto &[fd, sub] : {std::pair{&found.bin->files, "files"}, std::pair{&found.bin->info, "info"}}) {
            if (fd->isOpen())
                ok = removeEntries(fd->get(), realPathOf(fd->get(), join(found.bin->path, sub)), 0, mounts, &error)
                    && ok;
        }
        // A link of that name goes, never what it points to.
        ::unlinkat(found.bin->folder.get(), "directorysizes", 0);
    });
    // Every name is free again.
    nextNumber().clear();
    return ok ? ShellResult::ok() : ShellResult::failed(error);
}

bool isEmpty(QString *refused)
{
    bool empty = true;
    if (refused)
        refused->clear();
    forEachBin([&](const Found &found) {
        if (refused && refused->isEmpty() && !found.bin && !found.missing)
            *refused = refusal(found);
        if (empty && found.bin)
            empty = !(found.bin->files.isOpen() && hasEntry(found.bin->files.get()))
                && !(found.bin->info.isOpen() && hasEntry(found.bin->info.get()));
    });
    return empty;
}

} // namespace Trash
