#include "player/Playlist.h"

#include "services/BuscarPaths.h"
#include "services/InfoTexts.h"

#include <QLocale>

#include <cmath>

namespace Playlist {

namespace {

const QString kSeparatorMark = QStringLiteral("---------------------- <");

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

QString nowPlayingLine(const QString &audio, const QString &duration, qint64 bytes)
{
    return u' ' + audio + QStringLiteral(" - Duración: ") + duration + QStringLiteral(" - ") +
           InfoTexts::numberText(double(bytes) / 1048576.0, 1) + QStringLiteral(" Mb. ");
}

} // namespace Playlist
