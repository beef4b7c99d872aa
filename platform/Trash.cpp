#include "platform/Trash.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <QDateTime>
#include <QUrl>

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

} // namespace

// Written here rather than taken from QFile::moveToTrash: the Qt 6.4 of
// Debian 12, when the user's data folder does not exist yet, "succeeds" by
// moving the file into a "files" folder under the process's current folder.
ShellResult moveToTrash(const QString &hostPath)
{
    const QFileInfo fi(hostPath);
    if (!fi.exists() && !fi.isSymLink())
        return ShellResult::failed(QStringLiteral("El archivo no existe: ") + hostPath);
    const QString absolute = fi.absoluteFilePath();
    QString why;
    const QString trash = trashFor(absolute, &why);
    if (trash.isEmpty())
        return ShellResult::failed(QStringLiteral("Ninguna papelera puede recibir ") + absolute + QStringLiteral(" (")
                                   + why + u')');

    // The record first, created exclusively so two deletions never share a
    // name; then the file, by rename only (never copied and erased).
    const QString base = fi.fileName();
    for (int n = 1; n < 10000; ++n) {
        QString name = base;
        if (n > 1) {
            const qsizetype dot = base.lastIndexOf(u'.');
            name = dot > 0 ? base.left(dot) + u'.' + QString::number(n) + base.mid(dot)
                           : base + u'.' + QString::number(n);
        }
        const QString target = trash + QStringLiteral("/files/") + name;
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        const QByteArray infoPath = QFile::encodeName(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return ShellResult::failed(QStringLiteral("No se puede escribir en la papelera ") + trash + QStringLiteral(" (")
                                       + QString::fromLocal8Bit(strerror(errno)) + u')');
        }
        const QByteArray info = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(absolute, "/")
            + "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toLatin1() + "\n";
        const bool written = ::write(fd, info.constData(), size_t(info.size())) == info.size();
        ::close(fd);
        if (!written) {
            ::unlink(infoPath.constData());
            return ShellResult::failed(QStringLiteral("No se puede escribir en la papelera ") + trash);
        }
        if (::rename(QFile::encodeName(absolute).constData(), QFile::encodeName(target).constData()) != 0) {
            const QString reason = QString::fromLocal8Bit(strerror(errno));
            ::unlink(infoPath.constData());
            return ShellResult::failed(QStringLiteral("No se puede enviar a la papelera: ") + absolute
                                       + QStringLiteral(" (") + reason + u')');
        }
        return ShellResult::ok();
    }
    return ShellResult::failed(QStringLiteral("Demasiados archivos con ese nombre en la papelera: ") + base);
}

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
    return ok ? ShellResult::ok() : ShellResult::failed(error);
}

} // namespace Trash
