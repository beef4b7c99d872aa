#include "services/BuscarIcon.h"

#include "platform/WinFs.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>

namespace Buscar {

void ICO(const QString &file, QLabel *img)
{
    if (!img)
        return;
    const QString host = WinFs::hostPath(file);
    if (host.isEmpty() || !QFileInfo::exists(host)) {
        img->clear();
        return;
    }
    static QFileIconProvider provider;
    const QIcon icon = provider.icon(QFileInfo(host));
    img->setPixmap(icon.pixmap(32, 32));
}

} // namespace Buscar
