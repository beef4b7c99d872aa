#include "platform/ShellCopy.h"

#include "platform/Ask.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <stdio.h>
#include <unistd.h>

namespace ShellCopy {
namespace {

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

ShellResult copyInto(const QString &sourceHost, const QString &folderHost)
{
    const QString title = QStringLiteral("Copiar archivo");
    const QFileInfo src(sourceHost);
    if (!src.isFile())
        return ShellResult::failed(QStringLiteral("No se encuentra el archivo de origen: ") + sourceHost);
    const QString folder = QDir::cleanPath(folderHost);
    if (!QFileInfo(folder).isDir()) {
        if (QFileInfo::exists(folder))
            return ShellResult::failed(QStringLiteral("El destino no es una carpeta: ") + folder);
        if (!Ask::yes(title, QStringLiteral("La carpeta ") + folder + QStringLiteral(" no existe.\r\n¿Desea crearla?")))
            return ShellResult::declined();
        if (!QDir().mkpath(folder))
            return ShellResult::failed(QStringLiteral("No se puede crear la carpeta: ") + folder);
    }
    const QString target = folder + u'/' + src.fileName();
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        if (sameFile(sourceHost, target))
            return ShellResult::failed(QStringLiteral("El origen y el destino son el mismo archivo: ") + target);
        if (QFileInfo(target).isDir())
            return ShellResult::failed(QStringLiteral("Ya existe una carpeta con ese nombre: ") + target);
        if (!Ask::yes(title, QStringLiteral("Ya existe el archivo ") + target
                                 + QStringLiteral("\r\n¿Desea reemplazarlo?")))
            return ShellResult::declined();
    }

    QFile in(sourceHost);
    if (!in.open(QIODevice::ReadOnly))
        return ShellResult::failed(QStringLiteral("No se puede leer: ") + sourceHost + QStringLiteral(" (")
                                   + in.errorString() + u')');
    QTemporaryFile out(folder + QStringLiteral("/.velmar-copia-XXXXXX"));
    if (!out.open())
        return ShellResult::failed(QStringLiteral("No se puede escribir en: ") + folder + QStringLiteral(" (")
                                   + out.errorString() + u')');
    QByteArray block;
    for (;;) {
        block = in.read(1 << 20);
        if (block.isEmpty())
            break;
        if (out.write(block) != block.size())
            return ShellResult::failed(QStringLiteral("Error al escribir la copia en ") + folder + QStringLiteral(" (")
                                       + out.errorString() + u')');
    }
    if (in.error() != QFile::NoError)
        return ShellResult::failed(QStringLiteral("Error al leer: ") + sourceHost);
    if (!out.flush() || ::fsync(out.handle()) != 0)
        return ShellResult::failed(QStringLiteral("Error al escribir la copia en ") + folder);
    out.setFileTime(src.lastModified(), QFileDevice::FileModificationTime);
    out.setPermissions(src.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    // rename() replaces an existing target in one step: a reader never sees
    // half a file, and the old one stays if the rename fails.
    const QString temp = out.fileName();
    out.close();
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
        return ShellResult::failed(QStringLiteral("No se puede crear: ") + target + QStringLiteral(" (")
                                   + QString::fromLocal8Bit(strerror(errno)) + u')');
    out.setAutoRemove(false);
    return ShellResult::ok();
}

} // namespace ShellCopy
