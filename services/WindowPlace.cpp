#include "services/WindowPlace.h"

#include "platform/Settings.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace WindowPlace {

namespace {

// A title bar and a thin border, as most desktops draw them.
constexpr QMargins kUsualFrame(4, 36, 4, 4);
// Between a window and the main window's buttons.
constexpr int kClearance = 8;

QPointer<QWidget> g_main;
std::function<QRect()> g_buttons;

QMargins marginsOf(const QWidget *w)
{
    const QRect frame = w->frameGeometry();
    const QRect inner = w->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

// The frame of a window as it stands, or would stand once framed.
QRect frameOf(const QWidget *w)
{
    const QMargins m = frameMargins(w);
    return QRect(w->pos(), w->size().grownBy(m));
}

// Places a window that is not shown yet beside the main window again when it
// is first shown.
class FirstShow final : public QObject
{
public:
    explicit FirstShow(QWidget *window) : QObject(window)
    {
        setObjectName(QStringLiteral("WindowPlaceFirstShow"));
        window->installEventFilter(this);
    }

    static void cancel(QWidget *window)
    {
        if (auto *pending = window->findChild<FirstShow *>(QStringLiteral("WindowPlaceFirstShow"),
                                                            Qt::FindDirectChildrenOnly))
            delete pending;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Show) {
            auto *window = static_cast<QWidget *>(watched);
            deleteLater();
            window->removeEventFilter(this);
            besideMain(window);
        }
        return false;
    }
};

} // namespace

QMargins frameMargins(const QWidget *window)
{
    // A window's own frame is known once the window manager has framed it.
    if (window->isVisible() && window->testAttribute(Qt::WA_WState_Created)) {
        const QMargins m = marginsOf(window);
        if (!m.isNull())
            return m;
    }
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

namespace {

void placeAt(QWidget *window, QPoint frameAt)
{
    // The minimum size a window's layout allows is set on it when the layout
    // is first activated: before that a resize could go below it.
    if (QLayout *layout = window->layout())
        layout->activate();
    const QMargins margins = frameMargins(window);
    const QPoint at = reachable(frameAt, window->size().grownBy(margins));
    const QRect area = availableArea(at);
    // Moved in rather than narrowed: before a window is first shown its
    // minimum size is not always the one it will have.
    const QSize room = area.size().shrunkBy(margins);
    const QSize wanted = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (wanted != window->size())
        window->resize(wanted);
    const QSize frame = window->size().grownBy(margins);
    const int x = std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y = std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    window->move(x, y);
}

} // namespace

void place(QWidget *window, QPoint frameAt)
{
    // Placed where it was asked to: not beside the main window once shown.
    FirstShow::cancel(window);
    placeAt(window, frameAt);
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

void setMainWindow(QWidget *main, std::function<QRect()> buttons)
{
    g_main = main;
    g_buttons = main ? std::move(buttons) : std::function<QRect()>();
}

namespace {

// Where the main window's buttons stand on the screen, or will once it is
// shown (invalid without a main window).
QRect mainButtons()
{
    const QWidget *main = g_main.data();
    if (!main || !g_buttons)
        return {};
    const QMargins m = frameMargins(main);
    return g_buttons().translated(main->pos() + QPoint(m.left(), m.top()));
}

} // namespace

void besideMain(QWidget *window)
{
    if (!window->isVisible() && !window->findChild<FirstShow *>(QStringLiteral("WindowPlaceFirstShow"),
                                                                 Qt::FindDirectChildrenOnly))
        new FirstShow(window);
    if (QLayout *layout = window->layout())
        layout->activate();
    const QMargins margins = frameMargins(window);
    const QWidget *main = g_main.data();
    if (!main || main == window) {
        const QRect area = availableArea(QPoint());
        const QSize frame = window->size().boundedTo(area.size().shrunkBy(margins)).grownBy(margins);
        placeAt(window, area.center() - QPoint(frame.width() / 2, frame.height() / 2));
        return;
    }
    const QRect mainFrame = frameOf(main);
    const QRect area = availableArea(mainFrame.center());
    QSize size = window->size().boundedTo(area.size().shrunkBy(margins)).expandedTo(window->minimumSize());
    QSize frame = size.grownBy(margins);
    const int top = std::clamp(mainFrame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    QPoint at;
    if (mainFrame.right() + 1 + frame.width() <= area.right() + 1) {
        at = QPoint(mainFrame.right() + 1, top);
    } else if (mainFrame.left() - frame.width() >= area.left()) {
        at = QPoint(mainFrame.left() - frame.width(), top);
    } else {
        at = mainFrame.center() - QPoint(frame.width() / 2, frame.height() / 2);
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
        const QRect buttons = mainButtons();
        if (buttons.isValid() && QRect(at, frame).intersects(buttons)) {
            // Off the buttons on the side with more room, narrower if need be.
            const int right = area.right() + 1 - (buttons.right() + 1 + kClearance);
            const int left = buttons.left() - kClearance - area.left();
            const int room = std::max(right, left);
            if (frame.width() > room) {
                size.setWidth(std::max(room - margins.left() - margins.right(), window->minimumWidth()));
                frame = size.grownBy(margins);
            }
            at.setX(right >= left ? buttons.right() + 1 + kClearance : buttons.left() - kClearance - frame.width());
        }
    }
    if (size != window->size())
        window->resize(size);
    placeAt(window, at);
}

bool stored(const Settings::PlaceKeys &keys)
{
    // A text that is not a number reads as the default: two defaults tell.
    const auto number = [](const Settings::TwipsKey &key) { return key.valueOr(-1.0) == key.valueOr(-2.0); };
    return number(keys.left) || number(keys.top);
}

void restore(QWidget *window, const Settings::PlaceKeys &keys)
{
    if (!stored(keys)) {
        besideMain(window);
        return;
    }
    const QPoint at(Twips::toPixels(keys.left.value()), Twips::toPixels(keys.top.value()));
    place(window, at);
    // Moved in from a place right of the main window's buttons over them (a
    // window narrowed to open there the first time, at its design width
    // now): narrower instead, as far as its layout allows.
    const QRect buttons = mainButtons();
    const QMargins margins = frameMargins(window);
    const QRect frame(window->pos(), window->size().grownBy(margins));
    if (window != g_main.data() && buttons.isValid() && frame.intersects(buttons) && at.x() > buttons.right()
        && window->x() < at.x()) {
        const QRect area = availableArea(at);
        const int room = area.right() + 1 - at.x() - margins.left() - margins.right();
        const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
        if (room >= least.width()) {
            window->resize(room, window->height());
            place(window, at);
        }
    }
}

void save(const QWidget *window, const Settings::PlaceKeys &keys)
{
    keys.left.setValue(Twips::fromPixels(window->x()));
    keys.top.setValue(Twips::fromPixels(window->y()));
}

} // namespace WindowPlace
