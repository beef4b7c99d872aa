#include "tests/support/AudioFixtures.h"

#include "tests/support/Fixtures.h"
#include "platform/Ansi.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cmath>

namespace Fixtures {
namespace {

bool isFloat(WavFormat f)
{
    return f == WavFormat::Float || f == WavFormat::ExtensibleFloat;
}

bool isExtensible(WavFormat f)
{
    return f == WavFormat::Extensible || f == WavFormat::ExtensibleFloat;
}

int blockAlign(const WavSpec &s)
{
    return s.channels * s.bitsPerSample / 8;
}

QByteArray fmtPayload(const WavSpec &s)
{
    QByteArray fmt;
    le<quint16>(fmt, isExtensible(s.format) ? 0xFFFE : (isFloat(s.format) ? 3 : 1));
    le<quint16>(fmt, quint16(s.channels));
    le<quint32>(fmt, quint32(s.sampleRate));
    le<quint32>(fmt, quint32(s.sampleRate * blockAlign(s)));
    le<quint16>(fmt, quint16(blockAlign(s)));
    le<quint16>(fmt, quint16(s.bitsPerSample));
    if (isExtensible(s.format)) {
        le<quint16>(fmt, 22);
        le<quint16>(fmt, quint16(s.bitsPerSample)); // valid bits
        le<quint32>(fmt, s.channels == 1 ? 0x4 : (s.channels == 2 ? 0x3 : 0)); // speaker mask
        // The sub-format GUID: the plain format tag followed by the fixed tail.
        le<quint32>(fmt, isFloat(s.format) ? 3 : 1);
        le<quint16>(fmt, 0x0000);
        le<quint16>(fmt, 0x0010);
        fmt += QByteArray::fromHex("800000aa00389b71");
    }
    return fmt;
}

// Appends `count` frames starting at frame `first`: silence, or a sine at
// about a tenth of full scale.
void appendFrames(QByteArray &out, const WavSpec &s, qint64 first, qint64 count)
{
    const int bytes = s.bitsPerSample / 8;
    const qsizetype start = out.size();
    out.resize(start + count * blockAlign(s), '\0');
    if (!s.tone) {
        if (!isFloat(s.format) && s.bitsPerSample == 8)
            std::fill(out.begin() + start, out.end(), char(0x80));
        return;
    }
    char *d = out.data() + start;
    for (qint64 f = 0; f < count; ++f) {
        const double v = 0.1 * std::sin(2 * M_PI * 440.0 * double(first + f) / s.sampleRate);
        for (int c = 0; c < s.channels; ++c, d += bytes) {
            if (isFloat(s.format)) {
                if (bytes == 8)
                    qToLittleEndian(v, d);
                else
                    qToLittleEndian(float(v), d);
                continue;
            }
            const qint64 full = (qint64(1) << (s.bitsPerSample - 1)) - 1;
            const qint64 q = qint64(std::lround(v * double(full)));
            if (bytes == 1) {
                *d = char(q + 128);
            } else {
                for (int k = 0; k < bytes; ++k)
                    d[k] = char((q >> (8 * k)) & 0xFF);
            }
        }
    }
}

QByteArray header(const WavSpec &s, qint64 dataBytes)
{
    QByteArray body = "WAVE";
    body += s.chunksBeforeFmt;
    body += riffChunk("fmt ", fmtPayload(s));
    body += "data";
    le<quint32>(body, quint32(dataBytes));
    QByteArray out = "RIFF";
    le<quint32>(out, quint32(body.size() + dataBytes + (dataBytes & 1)));
    return out + body;
}

QByteArray fixedField(const QString &text, int size, char pad)
{
    QByteArray b = Ansi::encode(text).left(size);
    while (b.size() < size)
        b.append(pad);
    return b;
}

} // namespace

QByteArray riffChunk(const QByteArray &id, const QByteArray &payload)
{
    QByteArray b = id.left(4);
    le<quint32>(b, quint32(payload.size()));
    b += payload;
    if (payload.size() & 1)
        b.append('\0');
    return b;
}

QByteArray wavBytes(const WavSpec &s)
{
    QByteArray data;
    appendFrames(data, s, 0, s.frames);
    QByteArray out = header(s, data.size()) + data;
    if (data.size() & 1)
        out.append('\0');
    return out;
}

QByteArray wavBytes(int sampleRate, int channels, int bits, int frames, WavFormat format, bool tone,
                    const QByteArray &chunksBeforeFmt)
{
    WavSpec s;
    s.sampleRate = sampleRate;
    s.channels = channels;
    s.bitsPerSample = bits;
    s.frames = frames;
    s.format = format;
    s.tone = tone;
    s.chunksBeforeFmt = chunksBeforeFmt;
    return wavBytes(s);
}

bool writeWav(const QString &hostPath, int channels, int sampleRate, int bits, double seconds, WavFormat format)
{
    WavSpec s;
    s.sampleRate = sampleRate;
    s.channels = channels;
    s.bitsPerSample = bits;
    s.frames = qint64(std::llround(seconds * sampleRate));
    s.format = format;
    s.tone = true;
    const qint64 dataBytes = s.frames * blockAlign(s);

    QDir().mkpath(QFileInfo(hostPath).absolutePath());
    QSaveFile f(hostPath);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray block = header(s, dataBytes);
    constexpr qint64 kBlockFrames = 64 * 1024;
    for (qint64 first = 0; first < s.frames; first += kBlockFrames) {
        appendFrames(block, s, first, qMin(kBlockFrames, s.frames - first));
        if (f.write(block) != block.size())
            return false;
        block.clear();
    }
    if (dataBytes & 1)
        block.append('\0');
    if (!block.isEmpty() && f.write(block) != block.size())
        return false;
    return f.commit();
}

QByteArray id3v1Bytes(const Id3v1 &t)
{
    QByteArray b = t.marker.left(3);
    b += fixedField(t.title, 30, t.pad);
    b += fixedField(t.artist, 30, t.pad);
    b += fixedField(t.album, 30, t.pad);
    b += fixedField(t.year, 4, t.pad);
    b += fixedField(t.comment, 30, t.pad);
    b.append(char(t.genre));
    return b;
}

QByteArray mp3Frames(int frameBytes)
{
    QByteArray b;
    // Frame header of MPEG-1 layer III, 128 kbit/s, 44.1 kHz, no padding:
    // 417 bytes a frame.
    while (b.size() < frameBytes) {
        b += QByteArray::fromHex("fffb9064");
        b += QByteArray(413, '\0');
    }
    b.truncate(frameBytes);
    return b;
}

QByteArray mp3Bytes(int frameBytes, const Id3v1 &tag)
{
    return mp3Frames(frameBytes) + id3v1Bytes(tag);
}

QByteArray mp3Bytes(int frameBytes, bool tag, const QString &title, const QString &artist, const QString &album,
                    const QString &year, const QString &comment, const QByteArray &marker, char pad)
{
    if (!tag)
        return mp3Frames(frameBytes);
    return mp3Bytes(frameBytes, id3v1(title, artist, album, year, comment, marker, pad));
}

Id3v1 id3v1(const QString &title, const QString &artist, const QString &album, const QString &year,
            const QString &comment, const QByteArray &marker, char pad)
{
    Id3v1 t;
    t.title = title;
    t.artist = artist;
    t.album = album;
    t.year = year;
    t.comment = comment;
    t.marker = marker;
    t.pad = pad;
    return t;
}

} // namespace Fixtures
