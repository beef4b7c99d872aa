#pragma once

#include "platform/Settings.h"

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

// The stored opacity of a window's transparency bar: a whole number from
// `minimum` to 100 (anything else, a hand-edited settings file, reads as 100),
// so a window never starts invisible or with a value its bar cannot hold.
constexpr Settings::IntKey opacityKey(const char *name, int minimum = kMinOpacity)
{
    return {{name}, 100, minimum, 100};
}

// Keeps the window of `window` in front of the other windows (or lets it go
// back among them) without moving or resizing it; a shown window stays
// shown. A null window: nothing.
void setTopmost(QWidget *window, bool topmost = true);

} // namespace ModAlpha
