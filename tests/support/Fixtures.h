#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writers of the files the program reads, made from their formats, so that no
// binary file has to be kept with the sources.
namespace Fixtures {

struct VipOptions
{
    QString header = QStringLiteral("Proyecto de prueba");
    bool marker = true;        // the "LIST....mdrl" end of the path area
    int fillerPerPath = 24;    // binary bytes between paths (no ':' among them)
    QByteArray tail = QByteArray(64, '\x11'); // bytes after the marker
};

// A project that names `paths` (Windows paths, written in Windows-1252, each
// ended by a NUL) in its path area.
QByteArray vipBytes(const QStringList &paths, const VipOptions &options = {});

// The raw form: the header at byte 97 with its NUL, then `area` as given,
// then the marker (when asked) and the tail.
QByteArray vipRaw(const QByteArray &area, const VipOptions &options = {});

enum class WavFormat { Pcm, Float, Extensible };

// A RIFF/WAVE file: "fmt " chunk (16 bytes, or 40 for extensible), optional
// chunks before it, a "data" chunk of silence (or a low tone when `tone`).
QByteArray wavBytes(int sampleRate, int channels, int bitsPerSample, int frames,
                    WavFormat format = WavFormat::Pcm, bool tone = false,
                    const QByteArray &chunksBeforeFmt = {});

// An MP3-like file: `frames` bytes of frame data and an ID3 version 1 tag
// ("TAG", title 30, artist 30, album 30, year 4, comment 30, genre 1) when
// `tag` is true; `marker` lets tests write "tag" in lower case; fields are
// padded with `pad` (blank or NUL).
QByteArray mp3Bytes(int frameBytes, bool tag, const QString &title = {}, const QString &artist = {},
                    const QString &album = {}, const QString &year = {}, const QString &comment = {},
                    const QByteArray &marker = "TAG", char pad = ' ');

// Writes bytes to a host path, creating the folders; false on failure.
bool writeFile(const QString &hostPath, const QByteArray &bytes);

// A small random-but-fixed stream of bytes (for "different contents").
QByteArray noise(int size, quint32 seed);

} // namespace Fixtures
