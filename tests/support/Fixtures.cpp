#include "tests/support/Fixtures.h"

#include "platform/Ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cmath>

namespace Fixtures {
namespace {

void le16(QByteArray &b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}

void le32(QByteArray &b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

QByteArray field(const QString &text, int size, char pad)
{
    QByteArray b = Ansi::encode(text).left(size);
    while (b.size() < size)
        b.append(pad);
    return b;
}

} // namespace

QByteArray vipRaw(const QByteArray &area, const VipOptions &o)
{
    QByteArray b;
    // 96 bytes of a file header that never holds a NUL-free run to confuse
    // anything: the decoder does not look at them.
    for (int i = 0; i < 96; ++i)
        b.append(char(0x20 + (i % 60)));
    b += Ansi::encode(o.header);
    b.append('\0');
    b += area;
    if (o.marker) {
        b += QByteArray(8, '\x02');
        b += "LIST";
        le32(b, 0x1234);
        b += "mdrl";
    }
    b += o.tail;
    return b;
}

QByteArray vipBytes(const QStringList &paths, const VipOptions &o)
{
    QByteArray area;
    int k = 0;
    for (const QString &p : paths) {
        for (int i = 0; i < o.fillerPerPath; ++i)
            area.append(char((i * 7 + k) % 5 == 0 ? 0 : 0x01 + (i + k) % 9));
        area += Ansi::encode(p);
        area.append('\0');
        ++k;
    }
    return vipRaw(area, o);
}

QByteArray wavBytes(int sampleRate, int channels, int bits, int frames, WavFormat format, bool tone,
                    const QByteArray &chunksBeforeFmt)
{
    const int blockAlign = channels * bits / 8;
    QByteArray data(qsizetype(frames) * blockAlign, '\0');
    if (tone && format != WavFormat::Float && bits == 16) {
        for (int f = 0; f < frames; ++f) {
            const qint16 s = qint16(3000 * std::sin(2 * M_PI * 440.0 * f / sampleRate));
            for (int c = 0; c < channels; ++c)
                qToLittleEndian(s, data.data() + (qsizetype(f) * channels + c) * 2);
        }
    }
    QByteArray fmt;
    const bool ext = format == WavFormat::Extensible;
    le16(fmt, ext ? 0xFFFE : (format == WavFormat::Float ? 3 : 1));
    le16(fmt, quint16(channels));
    le32(fmt, quint32(sampleRate));
    le32(fmt, quint32(sampleRate * blockAlign));
    le16(fmt, quint16(blockAlign));
    le16(fmt, quint16(bits));
    if (ext) {
        le16(fmt, 22);
        le16(fmt, quint16(bits));
        le32(fmt, channels == 1 ? 4 : 3);
        // KSDATAFORMAT_SUBTYPE_PCM
        le32(fmt, 1);
        le16(fmt, 0);
        le16(fmt, 0x10);
        fmt += QByteArray::fromHex("800000aa00389b71");
    }
    QByteArray body = "WAVE";
    body += chunksBeforeFmt;
    body += "fmt ";
    le32(body, quint32(fmt.size()));
    body += fmt;
    body += "data";
    le32(body, quint32(data.size()));
    body += data;
    QByteArray out = "RIFF";
    le32(out, quint32(body.size()));
    return out + body;
}

QByteArray mp3Bytes(int frameBytes, bool tag, const QString &title, const QString &artist, const QString &album,
                    const QString &year, const QString &comment, const QByteArray &marker, char pad)
{
    QByteArray b;
    // Frame headers of MPEG-1 layer III, 128 kbit/s, 44.1 kHz, then zeros.
    while (b.size() < frameBytes) {
        b += QByteArray::fromHex("fffb9064");
        b += QByteArray(413, '\0');
    }
    b.truncate(frameBytes);
    if (tag) {
        b += marker.left(3);
        b += field(title, 30, pad);
        b += field(artist, 30, pad);
        b += field(album, 30, pad);
        b += field(year, 4, pad);
        b += field(comment, 30, pad);
        b.append(char(12));
    }
    return b;
}

bool writeFile(const QString &hostPath, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(hostPath).absolutePath());
    QFile f(hostPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray noise(int size, quint32 seed)
{
    QByteArray b(size, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = char(x & 0xFF);
    }
    return b;
}

} // namespace Fixtures
