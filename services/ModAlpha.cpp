#include "services/ModAlpha.h"

#include <QWidget>

namespace ModAlpha {

int alphaFromPercent(int value)
{
    value = qBound(0, value, 100);
    // In whole numbers, so that a half is seen as one exactly.
    const int product = value * 255;
    int alpha = product / 100;
    const int rest = product % 100;
    if (rest > 50 || (rest == 50 && alpha % 2 == 1))
        ++alpha;
    return alpha;
}

void AplicarAlpha(QWidget *window, int value)
{
    if (!window)
        return;
    window->window()->setWindowOpacity(alphaFromPercent(value) / 255.0);
}

int alphaOf(const QWidget *window)
{
    if (!window)
        return 255;
    return qRound(window->window()->windowOpacity() * 255);
}

void setTopmost(QWidget *window, bool topmost)
{
    if (!window)
        return;
    QWidget *w = window->window();
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    // Changing a window's flags hides it and may let the window manager
    // place it anew: put back what it had.
    const bool shown = w->isVisible();
    const QPoint pos = w->pos();
    const QSize size = w->size();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    w->move(pos);
    w->resize(size);
    if (shown)
        w->show();
}

} // namespace ModAlpha
