#pragma once

#include <QColor>

// A colour as the windows store it, &HBBGGRR (red in the low byte).
inline QColor colorFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
