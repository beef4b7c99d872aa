#include "services/BuscarIcon.h"

#include "services/FindFiles.h"

#include <QLabel>
#include <QPixmap>

namespace Buscar {

void ICO(const QString &file, QLabel *img)
{
    if (!img)
        return;
    const QPixmap icon = cFindFiles::LoadIcon(cFindFiles::IconShow, file);
    if (icon.isNull())
        img->clear();
    else
        img->setPixmap(icon);
}

QString ElegirCArpeta(const QString &mensaje, QWidget *owner)
{
    return cFindFiles::BrowseForFolder(owner, mensaje);
}

} // namespace Buscar
