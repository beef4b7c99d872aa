#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace MMP3Info { struct TagMP3; }

// The information texts of an auditioned file: the format of a WAVE file and
// the ID3 version 1 tag of an MP3 file. Lines are joined by CR LF; the last
// line has no line end (except a title, which keeps its own). Files are only
// read, and only the first kWavHeadBytes bytes of a WAVE file or the tag
// window of an MP3 file; no window events run while they are read.
namespace AudioInfo {

// What the WAVE scan reads after the first "fmt" (exact case) that starts at
// one of the first 255 bytes: the channel count, the sample rate and the bits
// per sample, little-endian and signed, at 10, 12 and 22 bytes past the "f".
// All three stay 0 when no "fmt" starts there or the bytes of the three fields
// are not all present (a header cut short is no information).
struct WavFields
{
    qint16 channels = 0;
    qint32 rate = 0;
    qint16 bits = 0;

    bool operator==(const WavFields &) const = default;
};

// The most bytes of a WAVE file the scan can look at: an "fmt" at byte 255
// and its bits field, which ends 23 bytes further on.
constexpr qsizetype kWavHeadBytes = 278;

// The scan over the first bytes of a file (bytes past kWavHeadBytes are
// ignored; fewer are fine).
WavFields wavFields(QByteArrayView head);

// " Tipo: Wav", then " Canales: n" when more than one channel or " Mono: "
// otherwise, " Frec: rate", " Bits: bits" (no line end after the last).
QString wavText(const WavFields &fields);

// The WAVE text of a file given as a Windows path, or nothing when the path
// names no regular file (missing, a folder, a pipe) or the file cannot be
// opened or read; the caller then keeps its previous text.
std::optional<QString> InfoWav(const QString &file);

// `exp` without its trailing run of blanks and NUL characters.
QString UnSpace(const QString &exp);

// "Album: ", "Artista: ", "Comentarios: " and "Título: " with the record's
// values (through UnSpace); an empty value shows "--------" followed by three
// blanks and CR LF, or, for the title, by nothing. The year is not shown.
QString mp3Text(const MMP3Info::TagMP3 &tag);

// The MP3 text of a file given as a Windows path. A file without a readable
// tag (missing, unreadable, too short, no "tag") gives the four "--------"
// lines: this reader always has a text.
QString InfoMp3(const QString &file);

} // namespace AudioInfo
