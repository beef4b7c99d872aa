#include "main/FolderLists.h"

#include "platform/Settings.h"
#include "services/Module3.h"

namespace FolderLists {
namespace {

// More lines than anyone keeps; a hand-edited count must not make a load
// run for ever.
constexpr int kMaxIndex = 99999;

void store(const QStringList &folders, const QString &prefix, const QString &countKey)
{
    for (qsizetype i = 0; i < folders.size(); ++i)
        Settings::set(prefix + QString::number(i), folders[i]);
    Settings::set(countKey, QString::number(folders.size() - 1));
    Settings::sync();
}

} // namespace

QStringList storedSearchFolders()
{
    const int last = Settings::getInt(QStringLiteral("TotalCarpetasBusca"), 0, -1, kMaxIndex);
    QStringList out;
    for (int i = 0; i <= last; ++i)
        out << Settings::get(QStringLiteral("CarpetaBusca ") + QString::number(i), QString());
    return out;
}

QStringList storedProtectedFolders()
{
    if (Settings::contains(QStringLiteral("TotalRutasNoBorrar")))
        Module3::UltimaRutaNoBorrar =
            Settings::getInt(QStringLiteral("TotalRutasNoBorrar"), Module3::UltimaRutaNoBorrar, -1, kMaxIndex);
    QStringList out;
    QString previous;
    for (int i = 0; i <= Module3::UltimaRutaNoBorrar; ++i) {
        previous = Settings::get(QStringLiteral("RutaNoBorrar ") + QString::number(i), previous);
        if (!previous.isEmpty())
            out << previous;
    }
    return out;
}

void storeSearchFolders(const QStringList &folders)
{
    store(folders, QStringLiteral("CarpetaBusca "), QStringLiteral("TotalCarpetasBusca"));
}

void storeProtectedFolders(const QStringList &folders)
{
    Module3::UltimaRutaNoBorrar = int(folders.size() - 1);
    store(folders, QStringLiteral("RutaNoBorrar "), QStringLiteral("TotalRutasNoBorrar"));
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
