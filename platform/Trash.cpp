#include "platform/Trash.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

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

} // namespace

ShellResult moveToTrash(const QString &hostPath)
{
    const QFileInfo fi(hostPath);
    if (!fi.exists() && !fi.isSymLink())
        return ShellResult::failed(QStringLiteral("El archivo no existe: ") + hostPath);
    QFile f(hostPath);
    if (!f.moveToTrash())
        return ShellResult::failed(QStringLiteral("No se puede enviar a la papelera: ") + hostPath
                                   + (f.errorString().isEmpty() ? QString() : QStringLiteral(" (") + f.errorString() + u')'));
    return ShellResult::ok();
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
