#pragma once

#include <QDateTime>
#include <QString>

// The texts that tell the user about a file: sizes, dates and the balloon of
// an auditioned file, as every window writes them.
namespace InfoTexts {

// The line between a file's size and date and its audio information.
inline const QString kDashes40 = QString(40, u'-');

// A number as the user's locale writes it, rounded to `decimals` places,
// without thousands separators or trailing zeros ("3,5", "12", "0,07").
QString numberText(double value, int decimals);

// The general date text: short date, a blank and the time, as the Spanish
// locale writes them; the time is left out at exactly midnight.
QString dateText(const QDateTime &when);

// The balloon of a playlist file: size (megabytes with two decimals, or the
// byte count and " Kb" for an empty file), date, 40 dashes, then `info`.
// Sizes are exact also from 2 GiB on.
QString balloonText(qint64 bytes, const QDateTime &modified, const QString &info);

} // namespace InfoTexts
