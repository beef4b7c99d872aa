#pragma once

#include "platform/Settings.h"

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Where the windows open: positions stored in the settings as twips (15 to
// a pixel), never off every screen. Every window is placed before it is
// shown, by its frame (title bar included), inside the available area of
// its screen (the screen less its panels): a window placed after it is
// shown, or by its inner area, can leave its title bar above the screen.
namespace WindowPlace {

// The margins the window manager's frame adds around the window: its own
// once it has been shown, before that those of a shown window of the
// program, else a usual title bar and border.
QMargins frameMargins(const QWidget *window);

// The available area of the screen that holds `at`, or of the primary
// screen when none does.
QRect availableArea(QPoint at);

// Places the window, shown or not, with its frame's top-left at `frameAt`
// (a position off every screen gives the primary screen's corner) and
// moves it in, and shrinks it down to its minimum size, as far as needed
// for the whole frame to lie inside that screen's available area.
void place(QWidget *window, QPoint frameAt);

// `at` when a window of `size` there would show at least its top-left part
// on some screen; otherwise the top-left corner of the primary screen (a
// monitor since removed, a hand-edited settings file).
QPoint reachable(QPoint at, QSize size);

// Places the window (place()) at its stored position; a missing key or one
// that is not a number gives the keys' default.
void restore(QWidget *window, const Settings::PlaceKeys &keys);
// The same with other defaults (in twips).
void restore(QWidget *window, const Settings::PlaceKeys &keys, double defaultLeftTwips, double defaultTopTwips);

// Stores the window's position, in twips.
void save(const QWidget *window, const Settings::PlaceKeys &keys);

} // namespace WindowPlace
