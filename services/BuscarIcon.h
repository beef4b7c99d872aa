#pragma once

#include <QString>

class QLabel;

namespace Buscar {

// Shows a file's icon (as the desktop gives it for its type) in an image
// control; a file that cannot be found leaves the image empty.
void ICO(const QString &file, QLabel *img);

} // namespace Buscar
