#pragma once

#include "platform/ShellResult.h"

#include <QString>

// Copying a file into a folder the way the desktop shell does it: the user
// is asked before a missing folder is created and before an existing file is
// replaced (through Ask), and a copy never leaves a partial file behind (it
// is written under a temporary name in the target folder, flushed, then
// renamed). The copy keeps the source's modification time.
namespace ShellCopy {

// `sourceHost` a file, `folderHost` the folder that receives it under the
// same name. Copying a file onto itself fails.
ShellResult copyInto(const QString &sourceHost, const QString &folderHost);

} // namespace ShellCopy
