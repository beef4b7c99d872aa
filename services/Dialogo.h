#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QAbstractItemView;
class QModelIndex;
class QWidget;

namespace Dialogo {

// The open-file dialog. `filtro` is "Description|pattern[|Description|pattern...]";
// patterns match case-blind, as Windows does ("Tema.VIP" is offered for
// "*.vip"). No dialog reads the files it lists. Returns the chosen file as a
// Windows path (through the drive map), trimmed, or "" when the user cancels.
// A confirmed choice makes the chosen file's folder the process's current
// folder. `carpetaInicial` (a Windows path, "" for none) comes before the
// start folder below.
QString AbrirArchivo(QWidget *owner, const QString &filtro, const QString &titulo,
                     const QString &carpetaInicial);

// The folder dialog: returns the chosen folder as a Windows path, a drive
// root with its "\", any other folder without a trailing "\"; "" when the
// user cancels. Without `allowNewFolder` the dialog offers no way to create
// (or rename or delete) a folder.
QString ElegirCarpeta(QWidget *owner, const QString &titulo, bool allowNewFolder = true);

// Both dialogs speak Windows paths as the rest of the program does: a typed
// "D:\Audio\Tema" (or "D:/Audio/Tema") of a mapped drive opens that folder,
// or is the chosen file; the sidebar lists the mapped drives by letter ("D:").
//
// Each dialog starts in the folder it last answered (the chosen file's
// folder, or the chosen folder), kept in the settings per dialog: under the
// owner window's name followed by "_Dialogo" ("Dialogo" without an owner), as
// a Windows path. Else in the folder of the project the main window shows,
// else on the first mapped drive; a folder that cannot be listed (gone,
// unmounted, out of reach) is passed over for the next.

// Where the folder of the project shown comes from (a Windows path, "" when
// no project is shown); the main window sets it. Empty: none.
void setProjectFolder(std::function<QString()> folder);

// The settings key of the folder a dialog of `owner` last answered.
QString folderKey(const QWidget *owner);

// The host folder a dialog of `owner` starts in.
QString startFolder(const QWidget *owner);

// What a dialog's sidebar shows on a row: the drive letter and ":" for a
// mapped drive's root, else the place's own name (exposed for tests).
QString sidebarText(const QAbstractItemView *sidebar, int row);

// What a dialog's detail view shows at `index`: its date column as the
// program writes dates (exposed for tests).
QString detailText(const QAbstractItemView *details, const QModelIndex &index);

// The Qt name filters for a "Description|pattern" text, each shown as the
// description is written (exposed for tests).
QStringList nameFilters(const QString &filtro);

} // namespace Dialogo
