#include "services/WindowPlace.h"

#include "platform/Settings.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QLayout>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace WindowPlace {

namespace {

// A title bar and a thin border, as most desktops draw them.
constexpr QMargins kUsualFrame(4, 36, 4, 4);

QMargins marginsOf(const QWidget *w)
{
    const QRect frame = w->frameGeometry();
    const QRect inner = w->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

} // namespace

QMargins frameMargins(const QWidget *window)
{
    // A window's own frame is known once the window manager has framed it.
    if (window->isVisible() && window->testAttribute(Qt::WA_WState_Created))
        return marginsOf(window);
    for (const QWidget *w : QApplication::topLevelWidgets()) {
        if (w != window && w->isVisible() && w->windowType() == Qt::Window) {
            const QMargins m = marginsOf(w);
            if (!m.isNull())
                return m;
        }
    }
    return kUsualFrame;
}

QRect availableArea(QPoint at)
{
    const QScreen *screen = QGuiApplication::screenAt(at);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void place(QWidget *window, QPoint frameAt)
{
    // The minimum size a window's layout allows is set on it when the layout
    // is first activated: before that a resize could go below it.
    if (QLayout *layout = window->layout())
        layout->activate();
    const QMargins margins = frameMargins(window);
    const QPoint at = reachable(frameAt, window->size().grownBy(margins));
    const QRect area = availableArea(at);
    const QSize room = area.size().shrunkBy(margins);
    const QSize wanted = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (wanted != window->size())
        window->resize(wanted);
    const QSize frame = window->size().grownBy(margins);
    const int x = std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y = std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    window->move(x, y);
}

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
    place(window, QPoint(Twips::toPixels(left), Twips::toPixels(top)));
}

void save(const QWidget *window, const Settings::PlaceKeys &keys)
{
    keys.left.setValue(Twips::fromPixels(window->x()));
    keys.top.setValue(Twips::fromPixels(window->y()));
}

} // namespace WindowPlace
