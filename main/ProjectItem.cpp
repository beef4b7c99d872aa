#include "main/ProjectItem.h"

namespace ProjectItem {

QString make(qsizetype number, const QString &path)
{
    return QString::number(number) + QStringLiteral(" --> ") + path;
}

QString path(const QString &item)
{
    const qsizetype gt = item.indexOf(u'>');
    if (gt < 0)
        return item;
    qsizetype i = gt + 1;
    while (i < item.size() && item[i] == u' ')
        ++i;
    return item.mid(i);
}

} // namespace ProjectItem
