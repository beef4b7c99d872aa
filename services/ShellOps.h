#pragma once

#include "platform/ShellResult.h"

#include <QString>

// The shell file operations over Windows paths (through the drive map). Each
// returns what it did, even where a caller has no use for it.
namespace Module2 {

// Sends one file to the recycle bin. `confirm` non-zero: ask first ("No"
// leaves the file where it is and gives Declined).
ShellResult EnviarPapelera(const QString &path, int confirm);

// Copies a file into a folder (the destination is always a folder here),
// asking before it creates the folder or replaces a file.
ShellResult CopiarArchivo(const QString &source, const QString &destination);

// Empties every trash of the user. `root` is ignored (every caller passes
// ""); `noConfirmation` zero: ask first (an empty trash asks nothing).
ShellResult VaciarPapelera(const QString &root, int noConfirmation);

} // namespace Module2
