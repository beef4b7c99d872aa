#pragma once

#include <QString>

namespace ModuleVersion {

// The version text of a program file: the four parts of its file version as
// whole numbers joined by "." (for example 1.0.0.3). Here only the program's
// own file carries a version: its path given as a Windows path (through the
// drive map) or a host path, with or without a trailing ".EXE" (any case).
// Any other file, or no file, gives "".
QString VersionArchivo(const QString &ruta);

// The program's own version as VersionArchivo gives it.
QString versionPrograma();

// A dotted version of one to four parts, each a whole number from 0 to
// 65535, written as four parts ("1.0.0" gives "1.0.0.0"); anything else
// gives "".
QString versionText(const QString &version);

} // namespace ModuleVersion
