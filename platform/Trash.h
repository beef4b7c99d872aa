#pragma once

#include "platform/ShellResult.h"

struct FileRecord;

#include <QStringList>

// The recycle bin on the freedesktop.org Trash: a file sent there shows in
// the desktop's trash (and in `trash-list`) with its original path and can
// be put back from there. When no trash can take a file, the file stays
// where it is and the failure is reported: never a silent permanent delete.
namespace Trash {

// Moves one file (a host path) to the trash of its volume.
ShellResult moveToTrash(const QString &hostPath);

// Moves the recorded file to the trash of its volume, through its folder
// opened without following a link below the drive's root, and only while
// the name still holds the recorded file (checked right before the move).
ShellResult moveToTrash(const FileRecord &record);

// The user's trash folders: the home trash and each mounted volume's
// ".Trash-<uid>" and ".Trash/<uid>" that exist.
QStringList trashFolders();

// Removes every entry of the "files" and "info" folders of every trash.
ShellResult emptyAll();

// True when no trash holds an entry in its "files" or "info" folder.
bool isEmpty();

} // namespace Trash
