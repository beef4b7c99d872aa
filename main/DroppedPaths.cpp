#include "main/DroppedPaths.h"

#include "platform/DriveMap.h"

#include <QMimeData>
#include <QUrl>

QStringList droppedPaths(const QMimeData *data, int *others)
{
    QStringList out;
    if (others)
        *others = 0;
    if (!data || !data->hasUrls())
        return out;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile()) {
            if (others)
                ++*others;
            continue;
        }
        QString host = url.toLocalFile();
        if (host.size() > 1 && host.endsWith(u'/'))
            host.chop(1);
        const QString windows = host.isEmpty() ? QString() : DriveMap::instance().toWindows(host);
        if (!windows.isEmpty())
            out << windows;
        else if (others)
            ++*others;
    }
    return out;
}
