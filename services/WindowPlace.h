#pragma once

#include "platform/Settings.h"

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

class QWidget;

// Where the windows open: positions stored in the settings as twips (15 to
// a pixel), never off every screen. Every window is placed before it is
// shown, by its frame (title bar included), inside the available area of
// its screen (the screen less its panels): a window placed after it is
// shown, or by its inner area, can leave its title bar above the screen.
// A window with no stored place opens beside the main window, never over
// the main window's buttons.
namespace WindowPlace {

// The margins the window manager's frame adds around the window: its own
// once it has been framed, before that those of a framed window of the
// program, else a usual title bar and border.
QMargins frameMargins(const QWidget *window);

// The available area of the screen that holds `at`, or of the primary
// screen when none does.
QRect availableArea(QPoint at);

// Places the window, shown or not, with its frame's top-left at `frameAt`
// (a position off every screen gives the primary screen's corner) and
// moves it in, and shrinks it down to its minimum size, as far as needed
// for the whole frame to lie inside that screen's available area. It is not
// then placed beside the main window when first shown (besideMain()).
void place(QWidget *window, QPoint frameAt);

// `at` when a window of `size` there would show at least its top-left part
// on some screen; otherwise the top-left corner of the primary screen (a
// monitor since removed, a hand-edited settings file).
QPoint reachable(QPoint at, QSize size);

// The main window, beside which the other windows open, and the area of
// its buttons (in its own coordinates) that they never cover. Null: none.
void setMainWindow(QWidget *main, std::function<QRect()> buttons);

// Places the window beside the main window, inside the available area: its
// frame right of the main window's, else left of it, else centred on it and
// moved (or narrowed) off the main window's buttons. Without a main window:
// the middle of the screen. A window not shown yet is placed so
// again when it is first shown (the main window may have moved meanwhile).
void besideMain(QWidget *window);

// True when a key holds a number (the other then gives its default).
bool stored(const Settings::PlaceKeys &keys);

// Places the window (place()) at its stored position; with none stored,
// beside the main window (besideMain()).
void restore(QWidget *window, const Settings::PlaceKeys &keys);

// Stores the window's position, in twips.
void save(const QWidget *window, const Settings::PlaceKeys &keys);

} // namespace WindowPlace
