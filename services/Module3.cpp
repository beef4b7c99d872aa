#include "services/Module3.h"

#include <QFontMetrics>
#include <QListWidget>

namespace Module3 {

int MedirTexto(const QWidget *control, const QString &texto)
{
    return QFontMetrics(control->font()).horizontalAdvance(texto) + 10;
}

int scrollExtent(const QList<int> &widths)
{
    if (widths.isEmpty())
        return 10;
    int running = widths.first();
    for (int w : widths)
        if (w > running)
            running = w + 10;
    return running;
}

int AjustarScrollHorizontal(QListWidget *list)
{
    QList<int> widths;
    widths.reserve(list->count());
    const QFontMetrics fm(list->font());
    for (int i = 0; i < list->count(); ++i)
        widths << fm.horizontalAdvance(list->item(i)->text()) + 10;
    const int extent = scrollExtent(widths);
    list->setProperty("horizontalExtent", extent);
    return extent;
}

} // namespace Module3
