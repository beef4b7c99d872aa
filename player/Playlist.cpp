#include "player/Playlist.h"

#include "services/BuscarPaths.h"

#include <QLocale>

#include <cmath>

namespace Playlist {

namespace {

const QString kSeparatorMark = QStringLiteral("---------------------- <");
const QString kDashes40 = QString(40, u'-');

} // namespace

QStringList helpText()
{
    return {
        QString(),
        QStringLiteral(" Arrastrar uno o varios archivos de audio "),
        QString(),
        QStringLiteral(" Se puede arrastrar... "),
        QStringLiteral(" todo el contenido de una carpeta "),
        QStringLiteral(" sin importar los tipos que contenga "),
        QStringLiteral(" seleccionando todos con Crt+E "),
        QStringLiteral(" El programa discrimina el contenido "),
    };
}

bool isSeparator(const QString &line)
{
    return line.contains(kSeparatorMark);
}

QString dropSeparator(bool fromPlayer)
{
    return fromPlayer ? QStringLiteral("---------------------- < Drag de WM > -------------------")
                      : QStringLiteral("---------------------- < Drag de Disco duro > -------------------");
}

QString copySeparator(const QString &tipo)
{
    return QStringLiteral("---------------------- < Copiado de ") + tipo + QStringLiteral(" > ----------------------");
}

QString droppedFile(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString ext = dot < 0 ? path : path.mid(dot + 1);
    if (ext == QLatin1String("reapeaks"))
        return QString();
    QString out = path;
    if (!ext.isEmpty())
        out.replace(ext, ext.toLower(), Qt::CaseSensitive);
    for (const char *kept : {".wav", ".mp3", ".mid"})
        if (out.contains(QLatin1String(kept), Qt::CaseSensitive))
            return out;
    return QString();
}

bool isCopiedAudio(const QString &line)
{
    const QString ext = Buscar::Obtener_Extension(line).toLower();
    return ext == QLatin1String("wav") || ext == QLatin1String("mp3");
}

int fileCount(const QStringList &lines)
{
    int n = 0;
    for (const QString &l : lines)
        if (!isSeparator(l))
            ++n;
    return n;
}

QStringList removeAt(const QStringList &lines, int index)
{
    if (index < 0 || index >= lines.size())
        return lines;
    QStringList out = lines;
    const bool block = isSeparator(out[index]);
    out.removeAt(index);
    if (block)
        while (index < out.size() && !isSeparator(out[index]))
            out.removeAt(index);
    return out;
}

QString separatorHint(const QString &separator)
{
    return QStringLiteral(" Tecla <Supr> para borrar los items de ") + QString(separator).remove(u'-');
}

QString countText(int n)
{
    return u' ' + QString::number(n) + QStringLiteral(" archivos ");
}

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
    const QLocale locale = QLocale::system();
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() != QTime(0, 0))
        text += u' ' + when.time().toString(QStringLiteral("HH:mm:ss"));
    return text;
}

QString balloonText(qint64 bytes, const QDateTime &modified, const QString &info)
{
    const QString size = bytes >= 1 ? numberText(double(bytes) / 1048576.0, 2) + QStringLiteral(" Mb")
                                    : QString::number(bytes) + QStringLiteral(" Kb");
    return QStringLiteral(" Tamaño: ") + size + QStringLiteral("\r\n Fecha: ") + dateText(modified) +
           QStringLiteral("\r\n") + kDashes40 + QStringLiteral("\r\n") + info;
}

QString nowPlayingLine(const QString &audio, const QString &duration, qint64 bytes)
{
    return u' ' + audio + QStringLiteral(" - Duración: ") + duration + QStringLiteral(" - ") +
           numberText(double(bytes) / 1048576.0, 1) + QStringLiteral(" Mb. ");
}

} // namespace Playlist
