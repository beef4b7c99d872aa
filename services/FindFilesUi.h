#pragma once

#include <QString>
#include <QtGlobal>

class QPainter;
class QPixmap;
class QWidget;

// The queries of the file finder that need the desktop: the icons and the
// folder dialog. The search and the other queries are cFindFiles's
// (services/FindFiles.h).
namespace cFindFilesUi {

// The size flags of LoadIcon().
enum : qint32 { IconSmall = 1, IconShow = 256 };

// Paints the file's icon at (x, y) in lWidth x lHeight (0 = 32). False
// when the file cannot be found or there is nothing to paint on.
bool DrawIcon(const QString &SpathFile, QPainter *lHdc, int x = 0, int y = 0, int lWidth = 0, int lHeight = 0);

// The file's icon, 32 pixels (16 with IconSmall), when lIconSize holds
// IconShow; an empty pixmap when it does not or the file cannot be found.
QPixmap LoadIcon(qint32 lIconSize, const QString &sFileName);

// The folder dialog, owned by lHwndOwner, titled sTitle: the chosen
// folder (a drive root ends in "\", other folders do not), "" on cancel.
QString BrowseForFolder(QWidget *lHwndOwner, const QString &sTitle);

} // namespace cFindFilesUi
