#pragma once

#include <QString>

class QWidget;

namespace ModuleOpen {

// The title line of the folder dialog.
inline const QString kTituloCarpeta = QStringLiteral("Selecciona una carpeta para salvar los datos compilados");

// The folder dialog with its fixed title and no way to create a folder:
// returns the chosen folder as a Windows path, a drive root with its "\",
// any other folder without a trailing "\"; "" when the user cancels.
QString SeleccionarCarpeta(QWidget *owner);

} // namespace ModuleOpen
