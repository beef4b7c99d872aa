#include "platform/Trash.h"

#include "platform/FileRecord.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <QDateTime>
#include <QHash>
#include <QUrl>

#include <functional>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Trash {
namespace {

QString homeTrash()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
}

bool emptyFolder(const QString &folder, QString *error)
{
    QDir dir(folder);
    if (!dir.exists())
        return true;
    bool ok = true;
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &e : entries) {
        bool removed;
        if (e.isDir() && !e.isSymLink())
            removed = QDir(e.absoluteFilePath()).removeRecursively();
        else
            removed = QFile::remove(e.absoluteFilePath());
        if (!removed) {
            ok = false;
            if (error && error->isEmpty())
                *error = QStringLiteral("No se ha podido eliminar: ") + e.absoluteFilePath();
        }
    }
    return ok;
}

dev_t deviceOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

// Makes a trash folder with its "files" and "info" folders, owner only.
bool makeTrash(const QString &trash)
{
    for (const QString &d : {trash, trash + QStringLiteral("/files"), trash + QStringLiteral("/info")}) {
        if (QFileInfo(d).isDir())
            continue;
        if (::mkdir(QFile::encodeName(d).constData(), 0700) != 0 && !QFileInfo(d).isDir())
            return false;
    }
    return true;
}

// The trash that takes a file: the home trash when the file is on the same
// volume as the user's data folder, else the volume's own trash.
QString trashFor(const QString &absolute, QString *why)
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QString existing = data;
    while (!existing.isEmpty() && !QFileInfo(existing).isDir())
        existing = QFileInfo(existing).absolutePath() == existing ? QString() : QFileInfo(existing).absolutePath();
    const dev_t fileDev = deviceOf(QFileInfo(absolute).absolutePath());
    if (!existing.isEmpty() && deviceOf(existing) == fileDev) {
        if (QDir().mkpath(data) && makeTrash(data + QStringLiteral("/Trash")))
            return data + QStringLiteral("/Trash");
        *why = QStringLiteral("no se puede crear ") + data + QStringLiteral("/Trash");
        return {};
    }
    const QString top = QStorageInfo(QFileInfo(absolute).absolutePath()).rootPath();
    const QString uid = QString::number(::getuid());
    const QString shared = top + QStringLiteral("/.Trash");
    struct stat st;
    if (::lstat(QFile::encodeName(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)
        && makeTrash(shared + u'/' + uid))
        return shared + u'/' + uid;
    const QString own = (top == QStringLiteral("/") ? QString() : top) + QStringLiteral("/.Trash-") + uid;
    if (makeTrash(own))
        return own;
    *why = QStringLiteral("no se puede crear ") + own;
    return {};
}

// The trash found for a folder, so that a run of many files from one folder
// looks for it once. A trash that went away, or a folder that is now on
// another volume, shows at the next move (the record cannot be created, or
// the rename says "cross-device"): the entry is dropped and looked for again.
QHash<QString, QString> &trashOfFolder()
{
    static QHash<QString, QString> cache;
    return cache;
}

// For each name that was already taken in a trash, the next number to try,
// so that trashing "Toma 1.wav" for the hundredth time tries one name, not a
// hundred. Only a start: every name is still created exclusively.
QHash<QString, int> &nextNumber()
{
    static QHash<QString, int> cache;
    return cache;
}

QString cachedTrashFor(const QString &folder, QString *why, bool fresh)
{
    // The data folder is part of the key: it decides the home trash.
    const QString key = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'\n' + folder;
    if (!fresh) {
        const auto it = trashOfFolder().constFind(key);
        if (it != trashOfFolder().constEnd())
            return it.value();
    }
    const QString trash = trashFor(folder + QStringLiteral("/x"), why);
    if (trash.isEmpty())
        trashOfFolder().remove(key);
    else
        trashOfFolder().insert(key, trash);
    return trash;
}

QString numbered(const QString &base, int n)
{
    if (n <= 1)
        return base;
    const qsizetype dot = base.lastIndexOf(u'.');
    return dot > 0 ? base.left(dot) + u'.' + QString::number(n) + base.mid(dot) : base + u'.' + QString::number(n);
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

// rename() that never replaces: the trash may hold a file of that name with
// no record (left by another program). `from` is a name in the folder
// `fromDir` (AT_FDCWD: a path).
int renameNoReplace(int fromDir, const char *from, const char *to)
{
    if (::renameat2(fromDir, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without the flag: look first (the record, created
    // exclusively, already keeps other deletions of ours off the name).
    struct stat st;
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(fromDir, from, AT_FDCWD, to);
}

// Moves `from` (a name in `fromDir`, or a path with AT_FDCWD) whose absolute
// path is `absolute` to the trash. `check`, when given, runs right before
// each move: a failure leaves the file where it is.
ShellResult moveImpl(int fromDir, const QByteArray &from, const QString &absolute,
                     const std::function<ShellResult()> &check);

} // namespace

ShellResult moveToTrash(const FileRecord &record)
{
    SafeFs::Check why;
    const SafeFs::Folder folder = SafeFs::Folder::parentOf(record, &why);
    if (!folder.isOpen())
        return why.result();
    const QByteArray name = record.name();
    return moveImpl(folder.fd(), name, QFile::decodeName(record.host()),
                    [&] { return SafeFs::compare(folder, name, record).result(); });
}

// Written here rather than taken from QFile::moveToTrash: the Qt 6.4 of
// Debian 12, when the user's data folder does not exist yet, "succeeds" by
// moving the file into a "files" folder under the process's current folder.
ShellResult moveToTrash(const QString &hostPath)
{
    struct stat st;
    const QString absolute
        = QDir::isAbsolutePath(hostPath) ? QDir::cleanPath(hostPath) : QFileInfo(hostPath).absoluteFilePath();
    const QByteArray from = QFile::encodeName(absolute);
    if (::lstat(from.constData(), &st) != 0)
        return ShellResult::failed(QStringLiteral("El archivo no existe: ") + hostPath);
    return moveImpl(AT_FDCWD, from, absolute, {});
}

namespace {

ShellResult moveImpl(int fromDir, const QByteArray &from, const QString &absolute,
                     const std::function<ShellResult()> &check)
{
    const qsizetype slash = absolute.lastIndexOf(u'/');
    const QString folder = slash > 0 ? absolute.left(slash) : QStringLiteral("/");
    const QString base = absolute.mid(slash + 1);
    QString why;
    bool fresh = false;
    QString trash = cachedTrashFor(folder, &why, fresh);
    const auto noTrash = [&] {
        return ShellResult::failed(QStringLiteral("Ninguna papelera puede recibir ") + absolute + QStringLiteral(" (")
                                   + why + u')');
    };
    if (trash.isEmpty())
        return noTrash();

    // The record first, created exclusively so two deletions never share a
    // name; then the file, by rename only (never copied and erased), never
    // onto a file already there.
    const QByteArray info
        = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(absolute, "/") + "\nDeletionDate=" + deletionDate() + "\n";
    QString numberKey = trash + u'/' + base;
    int n = nextNumber().value(numberKey, 1);
    int tries = 0;
    // Looks for the trash again, once, and starts the names over there.
    const auto findAgain = [&] {
        fresh = true;
        trash = cachedTrashFor(folder, &why, fresh);
        if (trash.isEmpty())
            return false;
        numberKey = trash + u'/' + base;
        n = nextNumber().value(numberKey, 1) - 1;
        tries = -1;
        return true;
    };
    for (; tries < 10000; ++tries, ++n) {
        const QString name = numbered(base, n);
        const QByteArray target = QFile::encodeName(trash + QStringLiteral("/files/") + name);
        const QByteArray infoPath = QFile::encodeName(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            if (errno == ENOENT && !fresh) {
                // The trash went away since it was found: make it again.
                if (!findAgain())
                    return noTrash();
                continue;
            }
            return ShellResult::failed(QStringLiteral("No se puede escribir en la papelera ") + trash + QStringLiteral(" (")
                                       + QString::fromLocal8Bit(strerror(errno)) + u')');
        }
        const bool written = ::write(fd, info.constData(), size_t(info.size())) == info.size();
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            ::unlink(infoPath.constData());
            return ShellResult::failed(QStringLiteral("No se puede escribir en la papelera ") + trash);
        }
        if (check) {
            const ShellResult same = check();
            if (!same.done()) {
                ::unlink(infoPath.constData());
                return same;
            }
        }
        if (renameNoReplace(fromDir, from.constData(), target.constData()) != 0) {
            const int error = errno;
            ::unlink(infoPath.constData());
            if (error == EEXIST || error == ENOTEMPTY)
                continue;
            if ((error == EXDEV || error == ENOENT) && !fresh) {
                // The folder is on another volume now (its own trash), or
                // the trash lost its "files" folder: look again, once.
                if (!findAgain())
                    return noTrash();
                continue;
            }
            return ShellResult::failed(QStringLiteral("No se puede enviar a la papelera: ") + absolute
                                       + QStringLiteral(" (") + QString::fromLocal8Bit(strerror(error)) + u')');
        }
        if (n > 1)
            nextNumber().insert(numberKey, n + 1);
        return ShellResult::ok();
    }
    return ShellResult::failed(QStringLiteral("Demasiados archivos con ese nombre en la papelera: ") + base);
}

} // namespace

QStringList trashFolders()
{
    QStringList out;
    const QString home = homeTrash();
    if (QFileInfo(home).isDir())
        out << home;
    const QString uid = QString::number(::getuid());
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady())
            continue;
        const QString root = v.rootPath() == QStringLiteral("/") ? QString() : v.rootPath();
        for (const QString &t : {root + QStringLiteral("/.Trash-") + uid, root + QStringLiteral("/.Trash/") + uid}) {
            if (QFileInfo(t).isDir() && !out.contains(t))
                out << t;
        }
    }
    return out;
}

ShellResult emptyAll()
{
    QString error;
    bool ok = true;
    for (const QString &t : trashFolders()) {
        ok = emptyFolder(t + QStringLiteral("/files"), &error) && ok;
        ok = emptyFolder(t + QStringLiteral("/info"), &error) && ok;
        QFile::remove(t + QStringLiteral("/directorysizes"));
    }
    // Every name is free again.
    nextNumber().clear();
    return ok ? ShellResult::ok() : ShellResult::failed(error);
}

bool isEmpty()
{
    for (const QString &t : trashFolders()) {
        for (const char *sub : {"/files", "/info"}) {
            if (!QDir(t + QLatin1String(sub)).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
                return false;
        }
    }
    return true;
}

} // namespace Trash
