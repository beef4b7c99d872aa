#include "main/FolderLists.h"

#include "platform/Settings.h"
#include "services/Module3.h"

namespace FolderLists {
namespace {

// The key of each line ("CarpetaBusca 0", "CarpetaBusca 1", ...).
const QString kCarpetaBusca = QStringLiteral("CarpetaBusca ");
const QString kRutaNoBorrar = QStringLiteral("RutaNoBorrar ");

void store(const QStringList &folders, const QString &prefix, const Settings::IntKey &count)
{
    for (qsizetype i = 0; i < folders.size(); ++i)
        Settings::set(prefix + QString::number(i), folders[i]);
    count.setValue(int(folders.size() - 1));
    Settings::sync();
}

} // namespace

QStringList storedSearchFolders()
{
    const int last = TotalCarpetasBusca.value();
    QStringList out;
    for (int i = 0; i <= last; ++i)
        out << Settings::get(kCarpetaBusca + QString::number(i), QString());
    return out;
}

QStringList storedProtectedFolders()
{
    if (TotalRutasNoBorrar.stored())
        Module3::UltimaRutaNoBorrar = TotalRutasNoBorrar.valueOr(Module3::UltimaRutaNoBorrar);
    QStringList out;
    QString previous;
    for (int i = 0; i <= Module3::UltimaRutaNoBorrar; ++i) {
        previous = Settings::get(kRutaNoBorrar + QString::number(i), previous);
        if (!previous.isEmpty())
            out << previous;
    }
    return out;
}

void storeSearchFolders(const QStringList &folders)
{
    store(folders, kCarpetaBusca, TotalCarpetasBusca);
}

void storeProtectedFolders(const QStringList &folders)
{
    Module3::UltimaRutaNoBorrar = int(folders.size() - 1);
    store(folders, kRutaNoBorrar, TotalRutasNoBorrar);
}

bool isProtected(const QString &item, const QStringList &protectedFolders)
{
    for (const QString &p : protectedFolders) {
        const QString key = p.mid(2, p.size() - 3);
        if (item.contains(key, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace FolderLists
