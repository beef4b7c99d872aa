#pragma once

#include <QIcon>
#include <QStyle>
#include <QWidget>

// The pictures of the windows: the desktop theme's icon of that name, or
// the style's own picture when the theme has none (every desktop shows one).
inline QIcon picture(const QWidget *w, const QString &themeName, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(themeName, w->style()->standardIcon(fallback, nullptr, w));
}
