#include "services/BuscarIcon.h"

#include "services/FindFilesUi.h"

#include <QLabel>
#include <QPixmap>

namespace Buscar {

void ICO(const QString &file, QLabel *img)
{
    if (!img)
        return;
    const QPixmap icon = cFindFilesUi::LoadIcon(cFindFilesUi::IconShow, file);
    if (icon.isNull())
        img->clear();
    else
        img->setPixmap(icon);
}

QString ElegirCArpeta(const QString &mensaje, QWidget *owner)
{
    return cFindFilesUi::BrowseForFolder(owner, mensaje);
}

} // namespace Buscar
