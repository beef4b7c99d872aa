#pragma once

#include "platform/NoLinkWrite.h"

#include <QString>
#include <QStringList>

// The listings: text files with the lines of a result list under a date line
// and two titles, written into a folder "Listados" of the project folder.
namespace Listados {

// The line of 66 dashes that closes the titles and each project's files.
QString dashes();

// The listings folder of a project folder: the folder, "\Listados\", and
// every "\\" then made one "\" ("D:\P\" and "D:\P" both give
// "D:\P\Listados\").
QString folder(const QString &dirVip);

// The title a project's listing is named by: the file name of a
// project-list item (or a path) without its last extension
// ("3 --> D:\P\Cancion A.vip" gives "Cancion A").
QString projectTitle(const QString &item);

// The file names of the project listings of one run, one per item in list
// order: "Archivos de <title>.log". Two projects of one title (case
// ignored: the folder may be on a medium that ignores it) must not write one
// file, so the second gets " (2)" before ".log", the third " (3)", and so
// on; a name that a numbered one would take is numbered in turn. Files on
// disk are not looked at: a new run replaces the files of the last one.
QStringList projectFileNames(const QStringList &projectItems);

inline const QString kTotales = QStringLiteral("Archivos Totales.log");
inline const QString kBorrar = QStringLiteral("Archivos a Borrar.log");

// The lines of one listing: "Fecha: <date>    Hora: <time>", " ", the two
// titles, the dash line, " ", then the items, each followed by the dash
// line when the next item is a project header (holds ">") and by " " when
// it is one itself (the dash line first when both apply). The last item's
// next item is taken as "".
QStringList lines(const QString &date, const QString &time, const QStringList &items, const QString &tituloA,
                  const QString &tituloB);

// Opens the listings folder "Listados" of a project folder (a host path),
// making it when it is missing, and holds it: every listing of one run is
// written through it. A "Listados" that is a symbolic link (or a file) is
// refused: not open, with the reason in Spanish in *error.
NoLinkWrite::Folder openFolder(const QString &hostProjectFolder, QString *error = nullptr);

// Writes the lines as the file `name` of the held folder, Windows-1252 with
// CR LF (UTF-8 with a byte-order mark when a line has a character
// Windows-1252 lacks), replacing the file whole or not at all; a file of
// that name that is a link is refused and left as it is. False with the
// reason in *error.
bool write(const NoLinkWrite::Folder &folder, const QString &name, const QStringList &lines,
           QString *error = nullptr);

} // namespace Listados
