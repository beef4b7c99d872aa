#include "main/Listados.h"

#include "platform/Ansi.h"
#include "services/BuscarPaths.h"

#include <QSet>

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

NoLinkWrite::Folder openFolder(const QString &hostProjectFolder, QString *error)
{
    QString why;
    const NoLinkWrite::Folder project = NoLinkWrite::Folder::open(hostProjectFolder, &why);
    if (!project.isOpen()) {
        if (error)
            *error = QStringLiteral("La carpeta del proyecto no se puede abrir: ") + why;
        return {};
    }
    NoLinkWrite::Folder out = project.sub(QStringLiteral("Listados"), &why);
    if (!out.isOpen() && error)
        *error = why;
    return out;
}

bool write(const NoLinkWrite::Folder &folder, const QString &name, const QStringList &lines, QString *error)
{
    return folder.write(name, Ansi::textFile(lines), error);
}

} // namespace Listados
