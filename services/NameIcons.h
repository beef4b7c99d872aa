#pragma once

class QAbstractFileIconProvider;

// File icons and type names told from a file's name alone. The desktop's
// own lookup reads a file's first bytes when its name does not tell its
// type; a file that never answers (a link to /proc/kmsg, a device) would
// then hang whatever shows it, a file dialog listing its folder included.
// Nothing here opens a file.
namespace NameIcons {

// The one provider (it outlives every dialog and list that uses it).
QAbstractFileIconProvider &provider();

} // namespace NameIcons
