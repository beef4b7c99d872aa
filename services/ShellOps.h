#pragma once

#include "platform/ShellResult.h"

#include <QString>

// The shell's emptying of the recycle bins. It returns what it did, even
// where a caller has no use for it. (Files are sent to the trash and copied
// through the exact file recorded when listed: platform/Trash,
// platform/ShellCopy.)
namespace Module2 {

// Empties every trash of the user. `root` is ignored (every caller passes
// ""); `noConfirmation` zero: ask first (an empty trash asks nothing).
// Failed, with the reason, when a trash of the user's is left as it is.
ShellResult VaciarPapelera(const QString &root, int noConfirmation);

} // namespace Module2
