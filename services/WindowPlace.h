#pragma once

#include "platform/Settings.h"

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

// Where the windows open: positions stored in the settings as twips (15 to
// a pixel), never off every screen.
namespace WindowPlace {

// `at` when a window of `size` there would show at least its top-left part
// on some screen; otherwise the top-left corner of the primary screen (a
// monitor since removed, a hand-edited settings file).
QPoint reachable(QPoint at, QSize size);

// Moves the window to its stored position; a missing key or one that is not
// a number gives the keys' default.
void restore(QWidget *window, const Settings::PlaceKeys &keys);
// The same with other defaults (in twips).
void restore(QWidget *window, const Settings::PlaceKeys &keys, double defaultLeftTwips, double defaultTopTwips);

// Stores the window's position, in twips.
void save(const QWidget *window, const Settings::PlaceKeys &keys);

} // namespace WindowPlace
