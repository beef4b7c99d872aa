#pragma once

#include <QPalette>
#include <QString>

class QWidget;

// The application's palette dark, as a dark desktop theme gives it, for the
// lifetime of the object; the palette before comes back after it.
class DarkPalette
{
public:
    DarkPalette();
    ~DarkPalette();
    DarkPalette(const DarkPalette &) = delete;
    DarkPalette &operator=(const DarkPalette &) = delete;

private:
    QPalette m_before;
};

// "" when the widget's `text` colour reads on its `back` colour (as its
// style sheet leaves them; contrast ratio 3 or more), otherwise what is
// wrong, for the failure message.
QString unreadable(QWidget *w, QPalette::ColorRole text = QPalette::Text, QPalette::ColorRole back = QPalette::Base);
// The same over two colours.
QString unreadable(const QColor &text, const QColor &back);
