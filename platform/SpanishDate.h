#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// Dates and times as the program writes them in every text, log and
// listing: as the Spanish locale writes them, whatever the system's locale
// (short date "10/12/26", time "9:05:03"). A log named by its date must not
// be called "Perdidos_10 Dec 2026.log" under an English or C locale.
namespace SpanishDate {

// The short date: day, month and two-digit year, "d/M/yy".
QString date(const QDate &date);
// The long time: "H:mm:ss".
QString time(const QTime &time);
// The short date and the short time ("10/12/26 9:05"), as a file's date in
// a question.
QString dateTime(const QDateTime &when);

QString today();
QString now();

} // namespace SpanishDate
