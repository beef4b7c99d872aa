#include "services/WindowPlace.h"

#include "platform/Settings.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace WindowPlace {

QPoint reachable(QPoint at, QSize size)
{
    // The top-left part (title bar and a corner) must be on a screen.
    const QSize part = size.isValid() ? QSize(std::max(40, size.width() / 2), std::max(20, size.height() / 4))
                                      : QSize(100, 40);
    const QRect wanted(at, part);
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(wanted))
            return at;
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry().topLeft() : QPoint(0, 0);
}

void restore(QWidget *window, const Settings::PlaceKeys &keys)
{
    restore(window, keys, keys.left.defaultValue, keys.top.defaultValue);
}

void restore(QWidget *window, const Settings::PlaceKeys &keys, double defaultLeftTwips, double defaultTopTwips)
{
    const double left = keys.left.valueOr(defaultLeftTwips);
    const double top = keys.top.valueOr(defaultTopTwips);
    const QPoint at(int(std::lround(left / 15.0)), int(std::lround(top / 15.0)));
    window->move(reachable(at, window->size()));
}

void save(const QWidget *window, const Settings::PlaceKeys &keys)
{
    keys.left.setValue(window->x() * 15);
    keys.top.setValue(window->y() * 15);
}

} // namespace WindowPlace
