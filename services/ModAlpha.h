#pragma once

#include <QString>

class QWidget;

// Window opacity, as the transparency bars of the windows set it.
namespace ModAlpha {

// The lowest opacity a transparency bar allows: lower, the window could no
// longer be found on the screen.
constexpr int kMinOpacity = 20;

// The alpha (0 = fully transparent, 255 = opaque) of an opacity in per cent:
// value x 255 / 100 to the nearest whole number, halves to the even
// neighbour (50 gives 128, 30 gives 76, 100 gives 255). A value outside
// 0..100 counts as the nearer end.
int alphaFromPercent(int value);

// Sets the opacity of the window of `window` (the widget's own window when it
// is a control) to alphaFromPercent(value) / 255. A null window: nothing.
void AplicarAlpha(QWidget *window, int value);

// The alpha a window now has (255 for a null one).
int alphaOf(const QWidget *window);

// A stored opacity percentage: a whole number from `minimum` to 100, blanks
// around it allowed. Anything else (missing, not a number, out of range: a
// hand-edited settings file) gives `defaultValue`, so a window never starts
// invisible or with a bar value the bar cannot hold.
int validOpacity(const QString &stored, int defaultValue = 100, int minimum = 0);

// validOpacity of the value stored under `key` in the settings.
int storedOpacity(const QString &key, int defaultValue = 100, int minimum = 0);

// Keeps the window of `window` in front of the other windows (or lets it go
// back among them) without moving or resizing it; a shown window stays
// shown. A null window: nothing.
void setTopmost(QWidget *window, bool topmost = true);

} // namespace ModAlpha
