#pragma once

class QAbstractButton;
class QWidget;

namespace WindowKeys {

// Escape in `window` presses its closing button `salir`, as a click on it
// would, while that button is shown and enabled (a window that cannot be
// closed now, a deletion running, stays).
void closeOnEscape(QWidget *window, QAbstractButton *salir);

} // namespace WindowKeys
