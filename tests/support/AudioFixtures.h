#pragma once

#include <QByteArray>
#include <QString>

// Writers of audio files, made from their formats: RIFF/WAVE files that a
// player can play, and MP3 frame data with an ID3 version 1 tag.
namespace Fixtures {

// Pcm: integer samples of 8 (unsigned), 16, 24 or 32 bits. Float: IEEE
// samples of 32 or 64 bits. The extensible forms write the 40-byte format
// chunk (format tag 0xFFFE) with the PCM or the IEEE float sub-format.
enum class WavFormat { Pcm, Float, Extensible, ExtensibleFloat };

struct WavSpec
{
    int sampleRate = 44100;
    int channels = 2;
    int bitsPerSample = 16;
    qint64 frames = 0;
    WavFormat format = WavFormat::Pcm;
    bool tone = false;           // a quiet 440 Hz sine on every channel instead of silence
    QByteArray chunksBeforeFmt;  // written between "WAVE" and "fmt " (see riffChunk)
};

// One RIFF chunk: the 4-character id, the little-endian size, the payload
// and the pad byte that an odd size needs.
QByteArray riffChunk(const QByteArray &id, const QByteArray &payload);

// The whole file: "RIFF", size, "WAVE", chunksBeforeFmt, "fmt ", "data".
// With no chunks before it the "fmt " identifier starts at byte 13.
QByteArray wavBytes(const WavSpec &spec);

QByteArray wavBytes(int sampleRate, int channels, int bitsPerSample, int frames,
                    WavFormat format = WavFormat::Pcm, bool tone = false,
                    const QByteArray &chunksBeforeFmt = {});

// A playable WAVE file of `seconds` of tone, written in blocks (long files
// are never held in memory), creating the folders. False on failure.
bool writeWav(const QString &hostPath, int channels, int sampleRate, int bitsPerSample, double seconds,
              WavFormat format = WavFormat::Pcm);

// An ID3 version 1 tag: marker, title 30, artist 30, album 30, year 4,
// comment 30, genre 1 (128 bytes). Texts are written in Windows-1252, cut to
// their width and padded with `pad` (a blank or NUL).
struct Id3v1
{
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    QByteArray marker = "TAG"; // "tag" or "TaG" for the case-blind search
    char pad = ' ';
    quint8 genre = 12;
};
QByteArray id3v1Bytes(const Id3v1 &tag);

// `frameBytes` bytes of MPEG-1 layer III frames (128 kbit/s, 44.1 kHz,
// silent), the last one cut when the count asks for it.
QByteArray mp3Frames(int frameBytes);

// Frames followed by the tag.
QByteArray mp3Bytes(int frameBytes, const Id3v1 &tag);

// A tag record from its fields.
Id3v1 id3v1(const QString &title, const QString &artist, const QString &album, const QString &year,
            const QString &comment, const QByteArray &marker = "TAG", char pad = ' ');

// Frames, and the tag when `tag` is true.
QByteArray mp3Bytes(int frameBytes, bool tag, const QString &title = {}, const QString &artist = {},
                    const QString &album = {}, const QString &year = {}, const QString &comment = {},
                    const QByteArray &marker = "TAG", char pad = ' ');

} // namespace Fixtures
