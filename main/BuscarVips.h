#pragma once

#include <QString>

class Form1;
class QListWidget;

// The project search of the folder road: every usable project under a
// folder, at any depth.
namespace Buscar {

// Searches `carpeta` (a Windows path; a drive root may keep its "\") for
// "*.vip" files at any depth, in pre-order, and fills the main window's
// List1 with those the project test accepts, in the same order. Projects
// that exist but cannot be read are added to the window's
// unreadableProjects. True when at least one usable project was found.
bool BuscarVips(Form1 &f, const QString &carpeta);

// Looks for a file named `file` in every search folder, at any depth. True
// when a copy was found: the main window's Buscado then names the first one
// (all are listed in the status box). `mlist` is the list whose current line
// is the missing file's full path.
bool BuscarEnTodasUnidades(Form1 &f, const QString &file, QListWidget *mlist);

} // namespace Buscar
