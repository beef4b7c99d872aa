#include "services/AudioInfo.h"

#include "platform/WinFs.h"
#include "services/MMP3Info.h"

#include <QFile>
#include <QtEndian>

namespace AudioInfo {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The scan looks for "fmt" starting at the first 255 bytes only.
constexpr qsizetype kScanPositions = 255;
// Where the fields end (one past the bits field), counted from the "f".
constexpr qsizetype kFieldsEnd = 24;

QString line(const QString &label, const QString &value, const QString &blank, bool lineEnd)
{
    if (value.isEmpty())
        return label + QStringLiteral("--------") + blank + (lineEnd ? kCrLf : QString());
    return label + value + kCrLf;
}

} // namespace

WavFields wavFields(QByteArrayView head)
{
    WavFields out;
    head = head.first(qMin(head.size(), kWavHeadBytes));
    // Every position is tried, so an "fmt" right after a lone "f" is found.
    const qsizetype last = qMin(head.size() - 3, kScanPositions - 1);
    for (qsizetype p = 0; p <= last; ++p) {
        if (head[p] != 'f' || head[p + 1] != 'm' || head[p + 2] != 't')
            continue;
        if (head.size() < p + kFieldsEnd)
            return out;
        const char *d = head.data() + p;
        out.channels = qFromLittleEndian<qint16>(d + 10);
        out.rate = qFromLittleEndian<qint32>(d + 12);
        out.bits = qFromLittleEndian<qint16>(d + 22);
        return out;
    }
    return out;
}

QString wavText(const WavFields &f)
{
    QString msg = QStringLiteral(" Tipo: Wav") + kCrLf;
    if (f.channels > 1)
        msg += QStringLiteral(" Canales: ") + QString::number(f.channels) + kCrLf;
    else
        msg += QStringLiteral(" Mono: ") + kCrLf;
    msg += QStringLiteral(" Frec: ") + QString::number(f.rate) + kCrLf;
    msg += QStringLiteral(" Bits: ") + QString::number(f.bits);
    return msg;
}

std::optional<QString> InfoWav(const QString &file)
{
    // Only a regular file is opened: a pipe would block the window thread.
    if (!WinFs::statPath(file).isFile)
        return std::nullopt;
    QFile f(WinFs::hostPath(file));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray head(kWavHeadBytes, Qt::Uninitialized);
    const qint64 n = f.read(head.data(), kWavHeadBytes);
    if (n < 0)
        return std::nullopt;
    head.truncate(n);
    return wavText(wavFields(head));
}

QString UnSpace(const QString &exp)
{
    qsizetype n = exp.size();
    while (n > 0 && (exp[n - 1] == QLatin1Char(' ') || exp[n - 1] == QChar(0)))
        --n;
    return exp.left(n);
}

QString mp3Text(const MMP3Info::TagMP3 &tag)
{
    const QString three = QStringLiteral("   ");
    return line(QStringLiteral("Album: "), UnSpace(tag.Album), three, true)
         + line(QStringLiteral("Artista: "), UnSpace(tag.Artista), three, true)
         + line(QStringLiteral("Comentarios: "), UnSpace(tag.Comentario), three, true)
         + line(QStringLiteral("Título: "), UnSpace(tag.Titulo), QString(), false);
}

QString InfoMp3(const QString &file)
{
    return mp3Text(MMP3Info::LeerTagMP3(file));
}

} // namespace AudioInfo
