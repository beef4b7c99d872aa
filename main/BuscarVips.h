#pragma once

#include <QString>

class Form1;
class QListWidget;

// The search of a missing file in the search folders.
namespace Buscar {

// Looks for a file named `file` in every search folder, at any depth. True
// when a copy was found: the main window's Buscado then names the first one
// (all are listed in the status box). `mlist` is the list whose current line
// is the missing file's full path.
bool BuscarEnTodasUnidades(Form1 &f, const QString &file, QListWidget *mlist);

} // namespace Buscar
