#include "main/Listados.h"

#include "platform/Ansi.h"
#include "services/BuscarPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace Listados {

QString dashes()
{
    return QString(66, u'-');
}

QString folder(const QString &dirVip)
{
    QString out = dirVip + QStringLiteral("\\Listados\\");
    out.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    return out;
}

QString projectTitle(const QString &item)
{
    const QString name = Buscar::Obtener_Nombre_Archivo(item);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

QStringList projectFileNames(const QStringList &projectItems)
{
    QStringList out;
    QSet<QString> taken; // case-folded
    for (const QString &item : projectItems) {
        const QString base = QStringLiteral("Archivos de ") + projectTitle(item);
        QString name = base + QStringLiteral(".log");
        for (int n = 2; taken.contains(name.toCaseFolded()); ++n)
            name = base + QStringLiteral(" (%1).log").arg(n);
        taken.insert(name.toCaseFolded());
        out << name;
    }
    return out;
}

QStringList lines(const QString &date, const QString &time, const QStringList &items, const QString &tituloA,
                  const QString &tituloB)
{
    QStringList out;
    out.reserve(items.size() + items.size() / 4 + 6);
    out << QStringLiteral("Fecha: ") + date + QStringLiteral("    Hora: ") + time << QStringLiteral(" ") << tituloA
        << tituloB << dashes() << QStringLiteral(" ");
    for (qsizetype i = 0; i < items.size(); ++i) {
        out << items[i];
        if (i + 1 < items.size() && items[i + 1].contains(u'>'))
            out << dashes();
        if (items[i].contains(u'>'))
            out << QStringLiteral(" ");
    }
    return out;
}

bool makeFolder(const QString &hostFolder, QString *error)
{
    QString path = hostFolder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    if (QFileInfo(path).isDir())
        return true;
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return true;
    const int e = errno;
    if (error) {
        switch (e) {
        case EEXIST:
            *error = QStringLiteral("Ya existe un archivo con ese nombre.");
            break;
        case ENOENT:
        case ENOTDIR:
            *error = QStringLiteral("La carpeta del proyecto ya no existe.");
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            *error = QStringLiteral("No se puede escribir en la carpeta del proyecto.");
            break;
        case ENOSPC:
        case EDQUOT:
            *error = QStringLiteral("No queda espacio en el disco.");
            break;
        default:
            *error = QString::fromLocal8Bit(std::strerror(e));
        }
    }
    return false;
}

bool write(const QString &hostFile, const QStringList &lines, QString *error)
{
    QSaveFile out(hostFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(Ansi::textFile(lines)) < 0 || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace Listados
