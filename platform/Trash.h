#pragma once

#include "platform/ShellResult.h"

struct FileRecord;

#include <QStringList>

// The recycle bin on the freedesktop.org Trash: a file sent there shows in
// the desktop's trash (and in `trash-list`) with its original path and can
// be put back from there. When no trash can take a file, the file stays
// where it is and the failure is reported: never a silent permanent delete.
//
// A trash is used, and emptied, only when every level of it is a real
// folder owned by the user (never a link): the home trash
// "$XDG_DATA_HOME/Trash", a volume's ".Trash/<uid>" (under a ".Trash" that
// is a real folder with the sticky bit) or ".Trash-<uid>", and their "files"
// and "info" folders. Anyone who may write the top folder of a shared or
// removable disk may plant a link there.
namespace Trash {

// The mount points that trashes are looked for on. A file goes to the trash
// of the mount it lies on: the longest mount point that holds the file's
// real folder (a bind-mounted folder is a mount of its own, although its
// device is the same); the home trash when it lies on that mount too. A
// path on none of the mount points lies with the home trash when the home
// trash is on none of them either.
//
// By default the system's mount list; VELMAR_TRASH_VOLUMES (mount points
// joined by ";", possibly none) stands in for it when it is set, so that a
// test run and every process it starts reach no trash outside its own
// folders.
QStringList volumes();
// The system's mount list, read afresh.
QStringList systemVolumes();
// Gives the list of this process in place of the default.
void setVolumes(const QStringList &mountPoints);
// Back to the default list.
void useDefaultVolumes();

// Moves one file (a host path) to the trash of its volume.
ShellResult moveToTrash(const QString &hostPath);

// Moves the recorded file to the trash of its volume, through its folder
// opened without following a link below the drive's root, and only while
// the name still holds the recorded file (checked right before the move).
ShellResult moveToTrash(const FileRecord &record);

// The user's trash folders that exist and may be used: the home trash and
// each volume's ".Trash/<uid>" and ".Trash-<uid>".
QStringList trashFolders();

// Removes every entry of the "files" and "info" folders of every trash,
// through the folders themselves: a link inside is removed, never what it
// points to, and no folder of another mount inside is entered. A trash
// folder of the user that is a link or not the user's own is left as it is
// and reported.
ShellResult emptyAll();

// True when no trash holds an entry in its "files" or "info" folder. A
// trash of the user's that is a link or not the user's own holds none that
// may be removed: `refused`, when given, gets why the first one is left
// (empty when none is), as emptyAll() would report it.
bool isEmpty(QString *refused = nullptr);

} // namespace Trash
