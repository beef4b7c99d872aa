#pragma once

#include <QString>
#include <QStringList>

// State that the windows share through the module (as the windows read and
// write it directly, it is plain data).
namespace Module2 {

// The information lines (CR LF separated) of the file being auditioned.
inline QString InfoArchivo;

// A copy of the missing-files list, kept when its window is unloaded.
inline QStringList TablaPerdidos;

// Set by the misplaced-file search when a name was found in several places.
inline bool EncontradoEnVarias = false;

// The message dialog of the message being asked, `Module2::Cuadro`, is a
// window: it is declared with the dialog (services/CuadroMensaje.h).

// The text of the next message dialog and the index of the button pressed
// in the last one.
inline QString TextoCuadro;
inline int RespuestaCuadro = -1;

} // namespace Module2
