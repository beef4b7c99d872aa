#include "tests/support/Readable.h"

#include <QApplication>
#include <QWidget>

#include <cmath>

namespace {

double luminance(const QColor &c)
{
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

} // namespace

DarkPalette::DarkPalette() : m_before(QApplication::palette())
{
    QPalette dark;
    const QColor face(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), light(0xee, 0xee, 0xee);
    for (const auto role : {QPalette::Window, QPalette::Button, QPalette::ToolTipBase})
        dark.setColor(role, face);
    for (const auto role : {QPalette::Base, QPalette::AlternateBase})
        dark.setColor(role, base);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
        dark.setColor(role, light);
    QApplication::setPalette(dark);
}

DarkPalette::~DarkPalette()
{
    QApplication::setPalette(m_before);
}

QString unreadable(const QColor &text, const QColor &back)
{
    const double a = luminance(text) + 0.05;
    const double b = luminance(back) + 0.05;
    const double ratio = a > b ? a / b : b / a;
    if (ratio >= 3.0)
        return QString();
    return QStringLiteral("%1 on %2: contrast %3").arg(text.name(), back.name()).arg(ratio, 0, 'f', 2);
}

QString unreadable(QWidget *w, QPalette::ColorRole text, QPalette::ColorRole back)
{
    w->ensurePolished();
    const QString why = unreadable(w->palette().color(text), w->palette().color(back));
    return why.isEmpty() ? why : w->objectName() + QStringLiteral(": ") + why;
}
