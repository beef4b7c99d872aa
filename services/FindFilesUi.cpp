#include "services/FindFilesUi.h"

#include "platform/WinFs.h"
#include "services/Dialogo.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {

// The desktop's icon for the file's type; a null icon when the file cannot
// be found.
QIcon iconOf(const QString &windowsPath)
{
    const QString host = WinFs::hostPath(windowsPath);
    if (host.isEmpty() || !QFileInfo::exists(host))
        return {};
    static QFileIconProvider provider;
    return provider.icon(QFileInfo(host));
}

} // namespace

namespace cFindFilesUi {

bool DrawIcon(const QString &SpathFile, QPainter *lHdc, int x, int y, int lWidth, int lHeight)
{
    if (!lHdc || !lHdc->isActive())
        return false;
    const QIcon icon = iconOf(SpathFile);
    if (icon.isNull())
        return false;
    const int w = lWidth > 0 ? lWidth : 32;
    const int h = lHeight > 0 ? lHeight : 32;
    icon.paint(lHdc, QRect(x, y, w, h));
    return true;
}

QPixmap LoadIcon(qint32 lIconSize, const QString &sFileName)
{
    if (!(lIconSize & IconShow))
        return {};
    const QIcon icon = iconOf(sFileName);
    if (icon.isNull())
        return {};
    const int side = (lIconSize & IconSmall) ? 16 : 32;
    return icon.pixmap(side, side);
}

QString BrowseForFolder(QWidget *lHwndOwner, const QString &sTitle)
{
    return Dialogo::ElegirCarpeta(lHwndOwner, sTitle);
}

} // namespace cFindFilesUi
