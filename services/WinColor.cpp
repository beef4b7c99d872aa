#include "services/WinColor.h"

#include <QPalette>
#include <QWidget>

#include <cmath>

namespace {

// The light the eye sees in a colour, 0 (black) to 1 (white): pure green
// is far lighter than pure blue of the same value.
double luminance(const QColor &c)
{
    const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// Whether black reads better on (under) this colour than white does.
bool light(const QColor &c)
{
    const double l = luminance(c);
    return (l + 0.05) / 0.05 >= 1.05 / (l + 0.05);
}

} // namespace

QColor textOn(const QColor &back)
{
    return light(back) ? QColor(Qt::black) : QColor(Qt::white);
}

QColor backUnder(const QColor &text)
{
    // The light face wherever the text reads on it (pure red does), so a
    // window keeps its usual look; a dark face only under a light text.
    return luminance(text) > 0.4 ? QColor(0x20, 0x20, 0x20) : QColor(0xF0, 0xF0, 0xF0);
}

void fixColours(QWidget *w, const QColor &back, const QColor &text)
{
    const QColor fore = text.isValid() ? text : textOn(back);
    QPalette pal = w->palette();
    for (const auto role : {QPalette::Window, QPalette::Base})
        pal.setColor(role, back);
    for (const auto role : {QPalette::WindowText, QPalette::Text})
        pal.setColor(role, fore);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QString colourSheet(const QColor &back, const QColor &text)
{
    const QColor fore = text.isValid() ? text : textOn(back);
    return QStringLiteral("background-color: %1; color: %2;").arg(back.name(), fore.name());
}

void setBack(QWidget *w, quint32 bgr)
{
    w->setProperty("backColour", bgr);
    w->setStyleSheet(colourSheet(colorFromBgr(bgr)));
}

void blinkBack(QWidget *w)
{
    constexpr quint32 kYellow = 0xFFFFC0, kRed = 0xC0C0FF;
    const quint32 c = w->property("backColour").toUInt();
    if (c == kYellow)
        setBack(w, kRed);
    else if (c == kRed)
        setBack(w, kYellow);
}
