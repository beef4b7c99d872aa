#include "services/AudioInfo.h"

#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "services/MMP3Info.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Fixtures.h"

#include "tests/support/LibraryTest.h"
#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace {

using Fixtures::WavFormat;

const QString kNoTagText = QStringLiteral("Album: --------   \r\n"
                                          "Artista: --------   \r\n"
                                          "Comentarios: --------   \r\n"
                                          "Título: --------");
const QString kNoFormatText = QStringLiteral(" Tipo: Wav\r\n Mono: \r\n Frec: 0\r\n Bits: 0");

QByteArray le16(quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    return QByteArray(c, 2);
}

QByteArray le32(quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    return QByteArray(c, 4);
}

QByteArray wav(int rate, int channels, int bits, WavFormat format = WavFormat::Pcm, const QByteArray &before = {})
{
    Fixtures::WavSpec s;
    s.sampleRate = rate;
    s.channels = channels;
    s.bitsPerSample = bits;
    s.frames = 64;
    s.format = format;
    s.tone = true;
    s.chunksBeforeFmt = before;
    return wavBytes(s);
}

// A format chunk body with any field values, as a hostile file could hold.
QByteArray rawFmtBody(quint16 channels, quint32 rate, quint16 bits)
{
    return le16(1) + le16(channels) + le32(rate) + le32(0) + le16(0) + le16(bits);
}

// "RIFF" + size + "WAVE" + the given bytes.
QByteArray riff(const QByteArray &rest, quint32 size = 0)
{
    return "RIFF" + le32(size ? size : quint32(rest.size() + 4)) + "WAVE" + rest;
}

using Fixtures::id3v1;

const Fixtures::Id3v1 kTag = id3v1(QStringLiteral("Voz principal"), QStringLiteral("Los Ruzvel"),
                                 QStringLiteral("Maquetas"), QStringLiteral("2003"), QStringLiteral("Toma buena"));
const QString kTagText = QStringLiteral("Album: Maquetas\r\n"
                                        "Artista: Los Ruzvel\r\n"
                                        "Comentarios: Toma buena\r\n"
                                        "Título: Voz principal\r\n");

struct Case
{
    const char *name;
    QByteArray bytes;
    QString expected;
};

// Bytes without "fmt" in the part of a header that is scanned.
const QByteArray kNoise = Fixtures::noise(4096, 7);

std::vector<Case> wavCases()
{
    const QByteArray canonical = wav(44100, 2, 16);
    // The first "fmt" found wins, even inside another chunk.
    const QByteArray fmtInJunk = "fmt " + le32(16) + rawFmtBody(7, 12345, 8);
    // Huge sizes everywhere: nothing may be read or allocated by them.
    const QByteArray hugeSizes = "RIFF" + le32(0xFFFFFFFF) + "WAVE" + "fmt " + le32(0xFFFFFFFF)
                               + rawFmtBody(2, 44100, 16) + "data" + le32(0xFFFFFFFF) + QByteArray(8, '\0');
    return {
        {"Pcm16Stereo", canonical, " Tipo: Wav\r\n Canales: 2\r\n Frec: 44100\r\n Bits: 16"},
        {"Pcm16Mono", wav(22050, 1, 16), " Tipo: Wav\r\n Mono: \r\n Frec: 22050\r\n Bits: 16"},
        {"Pcm24Stereo", wav(48000, 2, 24), " Tipo: Wav\r\n Canales: 2\r\n Frec: 48000\r\n Bits: 24"},
        {"Pcm24Mono", wav(96000, 1, 24), " Tipo: Wav\r\n Mono: \r\n Frec: 96000\r\n Bits: 24"},
        {"Float32Stereo", wav(44100, 2, 32, WavFormat::Float), " Tipo: Wav\r\n Canales: 2\r\n Frec: 44100\r\n Bits: 32"},
        {"Float32Mono", wav(48000, 1, 32, WavFormat::Float), " Tipo: Wav\r\n Mono: \r\n Frec: 48000\r\n Bits: 32"},
        {"ExtensibleStereo24", wav(88200, 2, 24, WavFormat::Extensible),
         " Tipo: Wav\r\n Canales: 2\r\n Frec: 88200\r\n Bits: 24"},
        {"ExtensibleMono16", wav(8000, 1, 16, WavFormat::Extensible), " Tipo: Wav\r\n Mono: \r\n Frec: 8000\r\n Bits: 16"},
        {"ExtensibleFloatSixChannels", wav(192000, 6, 32, WavFormat::ExtensibleFloat),
         " Tipo: Wav\r\n Canales: 6\r\n Frec: 192000\r\n Bits: 32"},
        // 12 + 8 + 234 bytes before it: "fmt " starts at byte 255, the last one scanned.
        {"FormatChunkAtByte255", wav(32000, 2, 16, WavFormat::Pcm, Fixtures::riffChunk("JUNK", QByteArray(234, 'x'))),
         " Tipo: Wav\r\n Canales: 2\r\n Frec: 32000\r\n Bits: 16"},
        {"FormatChunkAtByte257", wav(32000, 2, 16, WavFormat::Pcm, Fixtures::riffChunk("JUNK", QByteArray(236, 'x'))),
         kNoFormatText},
        {"FormatChunkRightAfterLoneF", wav(44100, 2, 24, WavFormat::Pcm, Fixtures::riffChunk("JUNK", "xyzf")),
         " Tipo: Wav\r\n Canales: 2\r\n Frec: 44100\r\n Bits: 24"},
        {"FormatChunkTwoBytesAfterF", wav(44100, 2, 24, WavFormat::Pcm, Fixtures::riffChunk("JUNK", "xxfx")),
         " Tipo: Wav\r\n Canales: 2\r\n Frec: 44100\r\n Bits: 24"},
        {"FormatChunkAfterFm", wav(11025, 1, 16, WavFormat::Pcm, Fixtures::riffChunk("JUNK", "abfm")),
         " Tipo: Wav\r\n Mono: \r\n Frec: 11025\r\n Bits: 16"},
        {"FirstFmtFoundWins", wav(44100, 2, 16, WavFormat::Pcm, Fixtures::riffChunk("JUNK", fmtInJunk)),
         " Tipo: Wav\r\n Canales: 7\r\n Frec: 12345\r\n Bits: 8"},
        {"UpperCaseFMTIsNotTheFormatChunk", riff("FMT " + le32(16) + rawFmtBody(2, 44100, 16)), kNoFormatText},
        {"FieldsAreSigned", riff("fmt " + le32(16) + rawFmtBody(0xFFFF, 0xFFFFFFFF, 0x8000)),
         " Tipo: Wav\r\n Mono: \r\n Frec: -1\r\n Bits: -32768"},
        {"HugeSizeFieldsAreNotTrusted", hugeSizes, " Tipo: Wav\r\n Canales: 2\r\n Frec: 44100\r\n Bits: 16"},
        {"DataCutShort", canonical.left(50), " Tipo: Wav\r\n Canales: 2\r\n Frec: 44100\r\n Bits: 16"},
        {"FormatFieldsJustComplete", canonical.left(36), " Tipo: Wav\r\n Canales: 2\r\n Frec: 44100\r\n Bits: 16"},
        {"FormatChunkCutInBitsField", canonical.left(35), kNoFormatText},
        {"FormatChunkCutInRateField", canonical.left(26), kNoFormatText},
        {"EndsAfterFmt", QByteArray("RIFFfmt"), kNoFormatText},
        {"EndsAfterFm", QByteArray("RIFFfm"), kNoFormatText},
        {"RiffOnly", QByteArray("RIFF"), kNoFormatText},
        {"TwoBytes", QByteArray("RI"), kNoFormatText},
        {"Empty", QByteArray(), kNoFormatText},
        {"NotAWaveAtAll", Fixtures::mp3Bytes(3000, kTag), kNoFormatText},
        {"NoiseWithoutFmt", kNoise, kNoFormatText},
    };
}

// The window starts 257 bytes before the end; a "tag" at its very start
// followed by 127 bytes of fields (all in the audio) and 2 more audio bytes.
QByteArray fakeTagInAudio()
{
    QByteArray fake = "tag";
    fake += QByteArray("Falso titulo").leftJustified(30, ' ');
    fake += QByteArray("Falso artista").leftJustified(30, ' ');
    fake += QByteArray("Falso album").leftJustified(30, ' ');
    fake += "1999";
    fake += QByteArray("Falso comentario").leftJustified(30, ' ');
    fake += "\xff\xfb";
    return Fixtures::mp3Frames(2000) + fake + Fixtures::id3v1Bytes(kTag);
}

std::vector<Case> mp3Cases()
{
    const QString thirty = QStringLiteral("123456789012345678901234567890");
    const QByteArray noise = Fixtures::noise(4096, 11);
    return {
        {"UpperCaseMarkerBlankPadded", Fixtures::mp3Bytes(5000, kTag), kTagText},
        {"LowerCaseMarkerNulPadded",
         Fixtures::mp3Bytes(5000, id3v1(QStringLiteral("Voz principal"), QStringLiteral("Los Ruzvel"), QStringLiteral("Maquetas"),
                                      QStringLiteral("2003"), QStringLiteral("Toma buena"), "tag", '\0')),
         kTagText},
        {"MixedCaseMarker",
         Fixtures::mp3Bytes(5000, id3v1(QStringLiteral("Voz principal"), QStringLiteral("Los Ruzvel"), QStringLiteral("Maquetas"),
                                      QStringLiteral("2003"), QStringLiteral("Toma buena"), "TaG")),
         kTagText},
        {"Windows1252Letters",
         Fixtures::mp3Bytes(1000, id3v1(QStringLiteral("Canción"), QStringLiteral("Peña"), QStringLiteral("Ñandú"),
                                      QStringLiteral("1999"), QStringLiteral("Cuesta 5 €"))),
         QStringLiteral("Album: Ñandú\r\nArtista: Peña\r\nComentarios: Cuesta 5 €\r\nTítulo: Canción\r\n")},
        {"NoTag", Fixtures::mp3Frames(5000), kNoTagText},
        {"OnlyTitle", Fixtures::mp3Bytes(1000, id3v1(QStringLiteral("Solo"), {}, {}, {}, {})),
         QStringLiteral("Album: --------   \r\nArtista: --------   \r\nComentarios: --------   \r\nTítulo: Solo\r\n")},
        {"EverythingButTitle",
         Fixtures::mp3Bytes(1000, id3v1({}, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("2001"), QStringLiteral("C"),
                                      "TAG", '\0')),
         QStringLiteral("Album: B\r\nArtista: A\r\nComentarios: C\r\nTítulo: --------")},
        {"LeadingAndInnerBlanksKept", Fixtures::mp3Bytes(1000, id3v1(QStringLiteral("  A  B  "), {}, {}, {}, {})),
         QStringLiteral("Album: --------   \r\nArtista: --------   \r\nComentarios: --------   \r\nTítulo:   A  B\r\n")},
        {"FullWidthFields",
         Fixtures::mp3Bytes(1000, id3v1(thirty, thirty, thirty, QStringLiteral("2020"), QStringLiteral("corto"))),
         "Album: " + thirty + "\r\nArtista: " + thirty + "\r\nComentarios: corto\r\nTítulo: " + thirty + "\r\n"},
        // The comment's thirtieth byte is the file's second-to-last: never read.
        {"ThirtiethCommentCharacterNotRead", Fixtures::mp3Bytes(1000, id3v1({}, {}, {}, {}, thirty)),
         "Album: --------   \r\nArtista: --------   \r\nComentarios: " + thirty.left(29)
             + "\r\nTítulo: --------"},
        {"TagFollowedByTwoBytesShowsWholeComment", Fixtures::mp3Bytes(1000, id3v1({}, {}, {}, {}, thirty)) + "\r\n",
         "Album: --------   \r\nArtista: --------   \r\nComentarios: " + thirty + "\r\nTítulo: --------"},
        {"TagAtWindowStart", Fixtures::mp3Bytes(1000, kTag) + QByteArray(129, '\0'), kTagText},
        {"TagJustBeforeWindow", Fixtures::mp3Bytes(1000, kTag) + QByteArray(130, '\0'), kNoTagText},
        {"FakeTagInAudioComesFirst", fakeTagInAudio(),
         QStringLiteral("Album: Falso album\r\nArtista: Falso artista\r\nComentarios: Falso comentario\r\n"
                        "Título: Falso titulo\r\n")},
        {"Exactly257Bytes", Fixtures::mp3Bytes(129, kTag), kTagText},
        {"Exactly256Bytes", Fixtures::mp3Bytes(128, kTag), kNoTagText},
        {"TagWithoutAudio", Fixtures::id3v1Bytes(kTag), kNoTagText},
        {"TwoBytes", QByteArray("\xff\xfb"), kNoTagText},
        {"Empty", QByteArray(), kNoTagText},
        {"Noise", noise, kNoTagText},
    };
}

// Exactly `n` heap bytes and nothing after them: a QByteArray always has a
// NUL past its last byte, which hides a read one byte too far even from the
// address sanitizer.
class ExactBytes
{
public:
    ExactBytes(qsizetype n, char fill) : m_size(n), m_bytes(new char[size_t(n)])
    {
        std::fill_n(m_bytes.get(), n, fill);
    }
    // As much of `what` as fits from `at` on.
    void put(qsizetype at, QByteArrayView what)
    {
        for (qsizetype i = 0; i < what.size() && at + i < m_size; ++i)
            m_bytes[size_t(at + i)] = what[i];
    }
    QByteArrayView view() const { return {m_bytes.get(), m_size}; }

private:
    qsizetype m_size;
    std::unique_ptr<char[]> m_bytes;
};

using AudioInfoFiles = LibraryTest;

} // namespace

TEST(AudioInfoWave, TextsOfHeaderBytes)
{
    for (const Case &c : wavCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AudioInfo::wavText(AudioInfo::wavFields(c.bytes)), c.expected);
    }
}

TEST(AudioInfoWave, FieldsOfHeaderBytes)
{
    ASSERT_FALSE(kNoise.left(257).contains("fmt"));
    const struct
    {
        const char *name;
        QByteArray bytes;
        AudioInfo::WavFields fields;
    } rows[] = {
        {"ExtensibleStereo24", wav(48000, 2, 24, WavFormat::Extensible), {2, 48000, 24}},
        {"NoiseWithoutFmtGivesZeros", kNoise, {}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        const AudioInfo::WavFields f = AudioInfo::wavFields(r.bytes);
        EXPECT_EQ(f.channels, r.fields.channels);
        EXPECT_EQ(f.rate, r.fields.rate);
        EXPECT_EQ(f.bits, r.fields.bits);
    }
}

TEST(AudioInfoWave, ReadsNothingPastTheBytesGiven)
{
    // Every short size, with "fmt" (or as much of it as fits) at each of the
    // last 30 positions: the fields are read only when all of them are there.
    for (qsizetype n = 0; n <= 40; ++n) {
        for (qsizetype p = qMax<qsizetype>(0, n - 30); p <= n; ++p) {
            ExactBytes b(n, '\x11');
            b.put(p, "fmt");
            const AudioInfo::WavFields expected =
                p + 24 <= n ? AudioInfo::WavFields{0x1111, 0x11111111, 0x1111} : AudioInfo::WavFields{};
            EXPECT_EQ(AudioInfo::wavFields(b.view()), expected) << n << " bytes, \"fmt\" at " << p;
        }
    }
}

TEST(AudioInfoMp3, TextsOfFileBytes)
{
    for (const Case &c : mp3Cases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AudioInfo::mp3Text(MMP3Info::tagFromBytes(c.bytes)), c.expected);
    }
}

TEST(AudioInfoMp3, RecordFieldsHaveTheirFixedWidths)
{
    const MMP3Info::TagMP3 fresh;
    EXPECT_EQ(fresh.Titulo, QString(30, QChar(0)));
    EXPECT_EQ(fresh.Artista, QString(30, QChar(0)));
    EXPECT_EQ(fresh.Album, QString(30, QChar(0)));
    EXPECT_EQ(fresh.Anio, QString(4, QChar(0)));
    EXPECT_EQ(fresh.Comentario, QString(30, QChar(0)));
    EXPECT_EQ(MMP3Info::tagFromBytes(Fixtures::mp3Frames(3000)), fresh);

    // NUL padding is kept inside the width; the comment's unread last
    // character becomes a blank.
    const MMP3Info::TagMP3 t = MMP3Info::tagFromBytes(Fixtures::mp3Bytes(
        3000, id3v1(QStringLiteral("Voz"), QStringLiteral("Los Ruzvel"), QStringLiteral("Maquetas"), QStringLiteral("2003"),
                  QStringLiteral("Toma buena"), "TAG", '\0')));
    EXPECT_EQ(t.Titulo, "Voz" + QString(27, QChar(0)));
    EXPECT_EQ(t.Artista, "Los Ruzvel" + QString(20, QChar(0)));
    EXPECT_EQ(t.Album, "Maquetas" + QString(22, QChar(0)));
    EXPECT_EQ(t.Anio, QStringLiteral("2003"));
    EXPECT_EQ(t.Comentario, "Toma buena" + QString(19, QChar(0)) + u' ');
}

TEST(AudioInfoMp3, FieldsPastTheWindowAreBlank)
{
    // "TAG" 200 bytes into the window: the title fits, the artist is cut at
    // the window's end, the rest lie past it.
    QByteArray window(255, 'z');
    window.replace(200, 3, "TAG");
    const MMP3Info::TagMP3 t = MMP3Info::tagFromWindow(window);
    EXPECT_EQ(t.Titulo, QString(30, u'z'));
    EXPECT_EQ(t.Artista, QString(22, u'z') + QString(8, u' '));
    EXPECT_EQ(t.Album, QString(30, u' '));
    EXPECT_EQ(t.Anio, QString(4, u' '));
    EXPECT_EQ(t.Comentario, QString(30, u' '));
    EXPECT_EQ(AudioInfo::mp3Text(t), "Album: --------   \r\nArtista: " + QString(22, u'z')
                                         + "\r\nComentarios: --------   \r\nTítulo: " + QString(30, u'z') + "\r\n");
    // "tag" ending exactly at the window's last byte still counts.
    QByteArray last(255, 'z');
    last.replace(252, 3, "tAg");
    EXPECT_EQ(MMP3Info::tagFromWindow(last).Titulo, QString(30, u' '));
}

TEST(AudioInfoMp3, ReadsNothingPastTheBytesGiven)
{
    // Short windows with "tag" (or as much of it as fits) at every position.
    for (qsizetype n = 0; n <= 40; ++n) {
        for (qsizetype p = 0; p <= n; ++p) {
            ExactBytes b(n, 'z');
            b.put(p, "tag");
            EXPECT_EQ(MMP3Info::tagFromWindow(b.view()) == MMP3Info::TagMP3{}, p + 3 > n) << n << " bytes, \"tag\" at " << p;
        }
    }
    // Whole files up to just past the window's reach, "tag" where the window
    // would start.
    for (qsizetype n = 0; n <= MMP3Info::kWindowBack + 3; ++n) {
        ExactBytes b(n, 'z');
        b.put(qMax<qsizetype>(0, n - MMP3Info::kWindowBack), "tag");
        EXPECT_EQ(MMP3Info::tagFromBytes(b.view()) == MMP3Info::TagMP3{}, n < MMP3Info::kWindowBack) << n << " bytes";
    }
}

TEST(AudioInfoMp3, UnSpaceRemovesOnlyTrailingBlanksAndNuls)
{
    const QChar nul(0);
    const struct
    {
        QString in;
        QString out;
    } cases[] = {
        {QString(), QString()},
        {QStringLiteral("   "), QString()},
        {QString(3, nul), QString()},
        {QStringLiteral("abc ") + nul + u' ' + nul, QStringLiteral("abc")},
        {QStringLiteral(" a b "), QStringLiteral(" a b")},
        {QStringLiteral("a") + nul + u'b' + nul, QStringLiteral("a") + nul + u'b'},
        {QStringLiteral("\tx\t"), QStringLiteral("\tx\t")},
        {QStringLiteral("x\r\n"), QStringLiteral("x\r\n")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AudioInfo::UnSpace(c.in), c.out) << c.in.toStdString();
}

TEST_F(AudioInfoFiles, FilesGiveTheTextsOfTheirBytes)
{
    int n = 0;
    for (const Case &c : wavCases()) {
        SCOPED_TRACE(c.name);
        const QString path = put(QStringLiteral("Wav/%1.wav").arg(n++), c.bytes);
        EXPECT_EQ(AudioInfo::InfoWav(path), std::optional<QString>(c.expected));
    }
    for (const Case &c : mp3Cases()) {
        SCOPED_TRACE(c.name);
        const QString path = put(QStringLiteral("Mp3/%1.mp3").arg(n++), c.bytes);
        EXPECT_EQ(AudioInfo::InfoMp3(path), c.expected);
        EXPECT_EQ(MMP3Info::LeerTagMP3(path), MMP3Info::tagFromBytes(c.bytes));
    }
}

TEST_F(AudioInfoFiles, PathsAreFoundCaseBlind)
{
    put(QStringLiteral("Tomas/Voz 1.wav"), wav(44100, 1, 24));
    put(QStringLiteral("Tomas/Canción.mp3"), Fixtures::mp3Bytes(4000, kTag));
    EXPECT_EQ(AudioInfo::InfoWav(QStringLiteral("D:\\TOMAS\\VOZ 1.WAV")),
              std::optional<QString>(QStringLiteral(" Tipo: Wav\r\n Mono: \r\n Frec: 44100\r\n Bits: 24")));
    EXPECT_EQ(AudioInfo::InfoMp3(QStringLiteral("D:\\tomas\\CANCIÓN.MP3")), kTagText);
}

TEST_F(AudioInfoFiles, PlayableWavesFromTheWriter)
{
    const struct
    {
        int channels, rate, bits;
        WavFormat format;
        int fmtSize, formatTag;
    } cases[] = {
        {2, 44100, 16, WavFormat::Pcm, 16, 1},
        {1, 48000, 24, WavFormat::Pcm, 16, 1},
        {1, 22050, 8, WavFormat::Pcm, 16, 1},
        {2, 96000, 32, WavFormat::Float, 16, 3},
        {2, 44100, 24, WavFormat::Extensible, 40, 0xFFFE},
        {1, 44100, 32, WavFormat::ExtensibleFloat, 40, 0xFFFE},
    };
    for (const auto &c : cases) {
        const QString name = QStringLiteral("w%1_%2_%3.wav").arg(c.channels).arg(c.rate).arg(c.bits);
        SCOPED_TRACE(name.toStdString());
        const QString host = dir.path() + "/Writer/" + name;
        ASSERT_TRUE(Fixtures::writeWav(host, c.channels, c.rate, c.bits, 0.5, c.format));
        QFile f(host);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        const qint64 data = qint64(c.rate / 2) * c.channels * c.bits / 8;
        ASSERT_EQ(b.size(), 20 + c.fmtSize + 8 + data + (data & 1));
        EXPECT_EQ(b.left(4), "RIFF");
        EXPECT_EQ(qFromLittleEndian<quint32>(b.constData() + 4), quint32(b.size() - 8));
        EXPECT_EQ(b.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(qFromLittleEndian<quint32>(b.constData() + 16), quint32(c.fmtSize));
        EXPECT_EQ(qFromLittleEndian<quint16>(b.constData() + 20), quint16(c.formatTag));
        EXPECT_EQ(b.mid(20 + c.fmtSize, 4), "data");
        EXPECT_EQ(qFromLittleEndian<quint32>(b.constData() + 24 + c.fmtSize), quint32(data));
        // Not silence: something to hear.
        EXPECT_NE(b.mid(28 + c.fmtSize + 64, 256), QByteArray(256, c.bits == 8 ? '\x80' : '\0'));

        const QString expected = QStringLiteral(" Tipo: Wav\r\n") +
                                 (c.channels > 1 ? QStringLiteral(" Canales: 2\r\n") : QStringLiteral(" Mono: \r\n")) +
                                 QStringLiteral(" Frec: %1\r\n Bits: %2").arg(c.rate).arg(c.bits);
        EXPECT_EQ(AudioInfo::InfoWav(DriveMap::instance().toWindows(host)), std::optional<QString>(expected));
    }
}

TEST_F(AudioInfoFiles, WhatIsNotARegularFileHasNoInformation)
{
    QDir().mkpath(dir.path() + "/Carpeta.wav");
    QDir().mkpath(dir.path() + "/Carpeta.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path() + "/tubo.wav").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path() + "/tubo.mp3").constData(), 0600), 0);
    const QStringList wavs = {QStringLiteral("D:\\nada.wav"), QStringLiteral("D:\\Carpeta.wav"), QStringLiteral("D:\\tubo.wav"),
                              QStringLiteral("Q:\\sin unidad.wav"), QStringLiteral("nada.wav"), QString()};
    for (const QString &p : wavs)
        EXPECT_EQ(AudioInfo::InfoWav(p), std::nullopt) << p.toStdString();
    const QStringList mp3s = {QStringLiteral("D:\\nada.mp3"), QStringLiteral("D:\\Carpeta.mp3"), QStringLiteral("D:\\tubo.mp3"),
                              QStringLiteral("Q:\\sin unidad.mp3"), QString()};
    for (const QString &p : mp3s) {
        EXPECT_EQ(AudioInfo::InfoMp3(p), kNoTagText) << p.toStdString();
        EXPECT_EQ(MMP3Info::LeerTagMP3(p), MMP3Info::TagMP3{}) << p.toStdString();
    }
}

TEST_F(AudioInfoFiles, UnreadableFilesHaveNoInformation)
{
    RUN_AS_ORDINARY_USER();
    const QString w = put(QStringLiteral("cerrado.wav"), wav(44100, 2, 16));
    const QString m = put(QStringLiteral("cerrado.mp3"), Fixtures::mp3Bytes(2000, kTag));
    for (const QString &rel : {QStringLiteral("/cerrado.wav"), QStringLiteral("/cerrado.mp3")})
        ::chmod(QFile::encodeName(dir.path() + rel).constData(), 0);
    QFile probe(dir.path() + "/cerrado.wav");
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "file modes do not stop this user from reading";
    EXPECT_EQ(AudioInfo::InfoWav(w), std::nullopt);
    EXPECT_EQ(AudioInfo::InfoMp3(m), kNoTagText);
}

TEST_F(AudioInfoFiles, ReadErrorAfterOpenHasNoInformation)
{
    // The kernel opens this file but refuses to read at its start.
    if (!QFile::exists(QStringLiteral("/proc/self/mem")))
        GTEST_SKIP() << "no /proc";
    qputenv("VELMAR_DRIVES", "P=/proc");
    DriveMap::instance().reload();
    ASSERT_TRUE(WinFs::statPath(QStringLiteral("P:\\self\\mem")).isFile);
    EXPECT_EQ(AudioInfo::InfoWav(QStringLiteral("P:\\self\\mem")), std::nullopt);
    EXPECT_EQ(AudioInfo::InfoMp3(QStringLiteral("P:\\self\\mem")), kNoTagText);
}

TEST_F(AudioInfoFiles, VeryLargeFilesAreReadOnlyAtTheirEnds)
{
    // Sparse files of 3 GiB: a header at the start, a tag at the end.
    constexpr qint64 size = qint64(3) << 30;
    const QString wHost = dir.path() + "/grande.wav";
    {
        QFile f(wHost);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.write(wav(44100, 2, 24)) > 0);
        ASSERT_TRUE(f.resize(size));
    }
    EXPECT_EQ(AudioInfo::InfoWav(QStringLiteral("D:\\grande.wav")),
              std::optional<QString>(QStringLiteral(" Tipo: Wav\r\n Canales: 2\r\n Frec: 44100\r\n Bits: 24")));

    const QString mHost = dir.path() + "/grande.mp3";
    {
        QFile f(mHost);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(size - 128));
        ASSERT_TRUE(f.seek(size - 128));
        ASSERT_EQ(f.write(Fixtures::id3v1Bytes(kTag)), 128);
    }
    ASSERT_EQ(QFileInfo(mHost).size(), size);
    EXPECT_EQ(AudioInfo::InfoMp3(QStringLiteral("D:\\grande.mp3")), kTagText);
}

TEST_F(AudioInfoFiles, ReadersLetNoWindowEventsRun)
{
    // A header without "fmt": the scan examines all of its 255 positions.
    const QString w = put(QStringLiteral("sin formato.wav"), QByteArray(4096, 'f'));
    const QString m = put(QStringLiteral("sin etiqueta.mp3"), Fixtures::mp3Frames(4096));
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    // Long enough for a time-sliced pump to run the event loop.
    QThread::msleep(30);
    EXPECT_EQ(AudioInfo::InfoWav(w), std::optional<QString>(kNoFormatText));
    EXPECT_EQ(AudioInfo::InfoMp3(m), kNoTagText);
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}
