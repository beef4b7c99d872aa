#pragma once

#include <QColor>
#include <QString>

class QWidget;

// A colour as the windows store it, &HBBGGRR (red in the low byte).
inline QColor colorFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// A fixed colour never meets one of the desktop theme's: where a window
// fixes a background it fixes the text on it too (a dark theme would write
// light text on the light box), and the other way round.

// The text that reads on `back`: black on a light colour, white on a dark one.
QColor textOn(const QColor &back);
// The background a fixed text colour reads on: the classic light window
// face for a dark or saturated text, a dark face for a light one.
QColor backUnder(const QColor &text);
// Gives `w` the background `back` and the text `text` in every palette role
// a box, label or list paints with (Window/Base, WindowText/Text), filling
// its background. An invalid `text` is textOn(back).
void fixColours(QWidget *w, const QColor &back, const QColor &text = QColor());
// The same as a style sheet declaration, for widgets styled by one.
QString colourSheet(const QColor &back, const QColor &text = QColor());

// Gives `w` the stored colour `bgr` as its background through a style sheet
// (with the text that reads on it), and remembers it in its "backColour"
// property.
void setBack(QWidget *w, quint32 bgr);
// One tick of a blinking hint: swaps `w` between the pale yellow and the
// pale red face (set first with setBack()).
void blinkBack(QWidget *w);
