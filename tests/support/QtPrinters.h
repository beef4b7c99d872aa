#pragma once

// Readable failure messages for Qt values in GoogleTest.
#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "{";
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", " : "") << '"' << l[i].toStdString() << '"';
    *os << "}";
}

inline void PrintTo(const QByteArray &b, std::ostream *os)
{
    *os << "bytes(" << b.toHex().toStdString() << ")";
}

inline std::ostream &operator<<(std::ostream &os, const QPoint &p)
{
    return os << "(" << p.x() << ", " << p.y() << ")";
}

inline std::ostream &operator<<(std::ostream &os, const QSize &s)
{
    return os << s.width() << "x" << s.height();
}

inline std::ostream &operator<<(std::ostream &os, const QRect &r)
{
    return os << r.topLeft() << " " << r.size();
}
