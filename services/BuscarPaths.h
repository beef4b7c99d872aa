#pragma once

#include <QString>

// How every window splits paths and project-list items. Windows paths are
// split by "\" on every host (Qt's own path classes treat "\" as an ordinary
// character on Linux). Comparisons are exact. The file title and the
// extension read a text only up to its first NUL.
namespace Buscar {

// The file title: the part after the last "\", "/" or ":". "" for an empty
// text, one ending in a separator, one holding "*" or "?", or a title longer
// than 254 characters. Brackets are kept: a name like "Mezcla [v2].vip" has a
// title like any other. The extension is always kept.
QString Obtener_Nombre_Archivo(const QString &path);
// The same title as a view into `path`, for loops that must not copy it.
QStringView nombreArchivoView(const QString &path);

// The folder part: up to and including the last "\", from the drive letter on
// (so a list item "12 --> D:\P\a.vip" gives "D:\P\"); without the trailing
// "\" when keepSlash is false. "" when the text holds no "\".
QString Obtener_Nombre_Path(const QString &path, bool keepSlash);

// A project-list item (or a path) reduced to the path from the drive letter.
QString Obtener_VipPath(const QString &item);

// The extension of the last path component without the dot, case kept;
// "" when there is none (a "\" or a blank after the last "." means none).
QString Obtener_Extension(const QString &path);

} // namespace Buscar
