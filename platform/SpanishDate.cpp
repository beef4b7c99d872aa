#include "platform/SpanishDate.h"

#include <QLocale>

namespace SpanishDate {
namespace {

// Qt's own locale data, not the system's: the same on every machine.
const QLocale &spanish()
{
    static const QLocale locale(QLocale::Spanish, QLocale::Spain);
    return locale;
}

} // namespace

QString date(const QDate &date)
{
    return spanish().toString(date, QLocale::ShortFormat);
}

QString time(const QTime &time)
{
    return spanish().toString(time, QStringLiteral("H:mm:ss"));
}

QString dateTime(const QDateTime &when)
{
    return spanish().toString(when, QLocale::ShortFormat);
}

QString today()
{
    return date(QDate::currentDate());
}

QString now()
{
    return time(QTime::currentTime());
}

} // namespace SpanishDate
