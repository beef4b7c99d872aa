#include "services/InfoTexts.h"

#include "platform/SpanishDate.h"

#include <QLocale>

#include <cmath>

namespace InfoTexts {

QString numberText(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(rounded, 'f', decimals);
    const QString point = locale.decimalPoint();
    if (decimals > 0 && text.contains(point)) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

QString dateText(const QDateTime &when)
{
    QString text = SpanishDate::date(when.date());
    if (when.time() != QTime(0, 0))
        text += u' ' + SpanishDate::time(when.time());
    return text;
}

QString balloonText(qint64 bytes, const QDateTime &modified, const QString &info)
{
    const QString size = bytes >= 1 ? numberText(double(bytes) / 1048576.0, 2) + QStringLiteral(" Mb")
                                    : QString::number(bytes) + QStringLiteral(" Kb");
    return QStringLiteral(" Tamaño: ") + size + QStringLiteral("\r\n Fecha: ") + dateText(modified) +
           QStringLiteral("\r\n") + kDashes40 + QStringLiteral("\r\n") + info;
}

} // namespace InfoTexts
