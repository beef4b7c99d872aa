#pragma once

#include "platform/Settings.h"

#include <QString>
#include <QStringList>

// The two stored lists of folders: where misplaced audio is looked for, and
// whose files are never deleted. Stored as a count key holding the last
// index and one key per line ("CarpetaBusca 0", "CarpetaBusca 1", ...).
namespace FolderLists {

// More lines than anyone keeps: a hand-edited count must not make a load
// run for ever.
constexpr int kMaxIndex = 99999;

// The last index of each list (-1: none; missing: one empty line of search
// folders, and as many protected folders as Module3::UltimaRutaNoBorrar says).
inline constexpr Settings::IntKey TotalCarpetasBusca{{"TotalCarpetasBusca"}, 0, -1, kMaxIndex};
inline constexpr Settings::IntKey TotalRutasNoBorrar{{"TotalRutasNoBorrar"}, 0, -1, kMaxIndex};

// The search folders as the window loads them: every stored line, empty or
// not (an empty store gives one empty line).
QStringList storedSearchFolders();

// The protected folders as the deletion run reads them: empty lines left
// out; a missing item key repeats the line before it. Updates
// Module3::UltimaRutaNoBorrar.
QStringList storedProtectedFolders();

// The protected folders for a deletion run, or why they could not be read:
// a settings store that could not be read as it is written is never taken
// for an empty list. `error` (Spanish, naming the settings file) is set when
// the store's file could not be read as written where it holds or may hold
// protected-folder keys (keys not read back, outside their group, names
// that are no text, the store's own status), or when what was read is no
// list the store writes (a count that is no number, a line break in a
// folder). No deletion runs with such a list.
struct ProtectedFolders
{
    QStringList folders;
    QString error;
};
ProtectedFolders readProtectedFolders();

void storeSearchFolders(const QStringList &folders);
void storeProtectedFolders(const QStringList &folders);

// The protected-folder test of the deletion run: an item is protected when
// it holds, letters in either case, the folder without its drive letter and
// colon and without its last character ("D:\Audio\Keep" protects every path
// holding "\Audio\Kee"; a drive root protects everything).
bool isProtected(const QString &item, const QStringList &protectedFolders);

} // namespace FolderLists

