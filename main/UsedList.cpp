#include "main/UsedList.h"

#include "main/ProjectItem.h"
#include "platform/EventPump.h"

#include <QHash>
#include <QSet>

namespace UsedList {

QString headerLine(const QString &item)
{
    const qsizetype gt = item.indexOf(u'>');
    return item.left(gt + 1) + u' ' + ProjectItem::path(item);
}

bool isHeader(const QString &line)
{
    return line.contains(u'>');
}

bool startsProject(const QString &line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i] >= u'0' && line[i] <= u'9')
        ++i;
    return i > 0 && QStringView(line).mid(i).startsWith(QStringLiteral(" --> "));
}

bool isKept(const QString &line)
{
    return isHeader(line) || line.contains(QStringLiteral("----------"));
}

int removeDuplicates(QStringList &lines, const std::function<void(const QString &)> &removed, Progress *progress)
{
    // The pairwise loop keeps the first of each set of equal lines and, for
    // each kept line, removes the later copies from the end backwards.
    QHash<QString, qsizetype> first;
    first.reserve(lines.size());
    QStringList out;
    out.reserve(lines.size());
    QHash<qsizetype, QList<qsizetype>> copiesOf; // kept index -> later indices
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (progress && (i & 1023) == 1023)
            progress->pump();
        const QString &l = lines[i];
        if (isKept(l)) {
            out << l;
            continue;
        }
        // One look: a new line finds its place empty (0) and takes i + 1.
        qsizetype &at = first[l];
        if (at == 0) {
            at = i + 1;
            out << l;
        } else {
            copiesOf[at - 1] << i;
        }
    }
    const int count = int(lines.size() - out.size());
    if (removed && count > 0) {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            auto it = copiesOf.constFind(i);
            if (it == copiesOf.cend())
                continue;
            for (qsizetype k = it->size(); k > 0; --k)
                removed(lines[(*it)[k - 1]]);
        }
    }
    lines = out;
    return count;
}

QStringList spaced(const QStringList &lines)
{
    QStringList out;
    out.reserve(lines.size() + lines.size() / 4);
    for (const QString &l : lines) {
        if (l.contains(u'>')) {
            out << QStringLiteral(" ") << l << QStringLiteral(" ");
        } else {
            out << l;
        }
    }
    return out;
}

QString summary(int appended, int projects, int duplicates)
{
    return QString::number(appended) + QStringLiteral("  archivos en: ") + QString::number(projects)
        + QStringLiteral(" proyectos, ") + QString::number(duplicates)
        + QStringLiteral(" duplicados borrados de la lista; Total: ") + QString::number(appended - duplicates);
}

} // namespace UsedList
