#pragma once

#include <QString>

class QWidget;

namespace Dialogo {

// The open-file dialog. `filtro` is "Description|pattern[|Description|pattern...]";
// patterns match case-blind, as Windows does ("Tema.VIP" is offered for
// "*.vip"). No dialog reads the files it lists. Returns the chosen file as a Windows path (through the drive map),
// trimmed, or "" when the user cancels. A confirmed choice makes the chosen
// file's folder the process's current folder.
QString AbrirArchivo(QWidget *owner, const QString &filtro, const QString &titulo,
                     const QString &carpetaInicial);

// The folder dialog: returns the chosen folder as a Windows path, a drive
// root with its "\", any other folder without a trailing "\"; "" when the
// user cancels. Without `allowNewFolder` the dialog offers no way to create
// (or rename or delete) a folder.
QString ElegirCarpeta(QWidget *owner, const QString &titulo, bool allowNewFolder = true);

// The Qt name filters for a "Description|pattern" text, each shown as the
// description is written (exposed for tests).
QStringList nameFilters(const QString &filtro);

} // namespace Dialogo
