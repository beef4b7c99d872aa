#pragma once

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

// Makes the listings folder (a host path) when it is not a folder yet; its
// parent must exist, as the project folder does. False with the reason, in
// Spanish, in *error (a read-only medium, a project folder that is gone, a
// file of that name).
bool makeFolder(const QString &hostFolder, QString *error = nullptr);

// Writes the lines to a host file, Windows-1252 with CR LF (UTF-8 with a
// byte-order mark when a line has a character Windows-1252 lacks), replacing
// the file whole or not at all. False with the reason in *error.
bool write(const QString &hostFile, const QStringList &lines, QString *error = nullptr);

} // namespace Listados
