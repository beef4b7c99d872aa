#pragma once

#include "platform/ShellCopy.h"
#include "platform/ShellResult.h"

#include <QString>

#include <optional>

// Putting back one file of a deletion log: its backup copy, which lies in
// the log's folder under the file's own name, goes to the exact path the
// log line names (collapsed within its drive, never found case-blind) and
// nowhere else.
namespace Restore {

// Where the file of a log line goes; nothing, with the reason, when the line
// names no file the restore may write (see DeletionLog::lineProblem) or its
// drive is not mapped.
std::optional<ShellCopy::RestoreTarget> target(const QString &line, QString *why);

// Copies the backup of `line` from the open folder `backupFolderFd` to its
// place, asking as the shell copy does (ShellCopy::restoreInto).
ShellResult one(int backupFolderFd, const QString &line);

} // namespace Restore
