#include "main/FolderLists.h"

#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "services/Module3.h"

namespace FolderLists {
namespace {

// The key of each line ("CarpetaBusca 0", "CarpetaBusca 1", ...).
const QString kCarpetaBusca = QStringLiteral("CarpetaBusca ");
const QString kRutaNoBorrar = QStringLiteral("RutaNoBorrar ");
// The group of the store's keys.
const QString kGrupo = QStringLiteral("Ruzvel");

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

ProtectedFolders readProtectedFolders()
{
    const Settings::FileCheck check = Settings::checkFile();
    const auto protectedKey = [](const QString &full, bool anyGroup) {
        const qsizetype slash = full.lastIndexOf(u'/');
        const QString group = full.left(std::max<qsizetype>(slash, 0));
        const QString key = full.mid(slash + 1);
        return (anyGroup || group == kGrupo)
            && (key == QString::fromUtf8(TotalRutasNoBorrar.name) || key.startsWith(kRutaNoBorrar));
    };
    QString why;
    if (check.undecodable)
        why = check.problem;
    for (const QString &k : check.notReadBack) {
        if (why.isEmpty() && protectedKey(k, true))
            why = check.problem;
    }
    // A key of the list in another group: its group's line was lost.
    for (const QString &k : check.keys) {
        if (why.isEmpty() && protectedKey(k, true) && !protectedKey(k, false))
            why = QStringLiteral("la línea de su grupo [") + kGrupo + QStringLiteral("] no se lee");
    }
    if (why.isEmpty() && !check.ok() && check.notReadBack.isEmpty())
        why = check.problem; // the store's own status
    if (why.isEmpty() && TotalRutasNoBorrar.stored()
        && TotalRutasNoBorrar.valueOr(kMaxIndex + 1) == kMaxIndex + 1)
        why = QStringLiteral("el número de carpetas protegidas no es válido");

    ProtectedFolders out;
    out.folders = storedProtectedFolders();
    for (const QString &f : std::as_const(out.folders)) {
        if (why.isEmpty() && (f.contains(u'\n') || f.contains(u'\r')))
            why = QStringLiteral("una carpeta protegida lleva un salto de línea (¿unas comillas sin cerrar?)");
    }
    if (!why.isEmpty()) {
        out.folders.clear();
        out.error = QStringLiteral(" >>> AVISO <<<   No se han podido leer las carpetas protegidas del archivo de "
                                   "ajustes ")
            + DriveMap::instance().toWindows(Settings::fileName()) + QStringLiteral(": ") + why
            + QStringLiteral(".\r\nNo se borrará ningún archivo hasta que se corrija.");
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
