#pragma once

#include <QString>

class QLabel;
class QWidget;

// The path functions of Buscar that need the desktop.
namespace Buscar {

// Shows a file's icon (as the desktop gives it for its type) in an image
// control; a file that cannot be found leaves the image empty.
void ICO(const QString &file, QLabel *img);

// The folder dialog titled `mensaje`: the chosen folder (a drive root ends
// in "\", other folders do not), "" when the user cancels.
QString ElegirCArpeta(const QString &mensaje, QWidget *owner = nullptr);

} // namespace Buscar
