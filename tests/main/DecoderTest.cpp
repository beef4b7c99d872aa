#include "main/Decoder.h"

#include "platform/Ansi.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"
#include "tests/support/ReferenceDecoder.h"

#include "tests/support/LibraryTest.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QDir>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Decoded
{
    QStringList paths;
    bool found = false;
    Decoder::State st;
};

Decoded decode(const QByteArray &bytes, bool listMode = true, const QString &titulo = {})
{
    Decoded d;
    NoProgress none;
    d.found = Decoder::decodeBytes(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size(), &d.paths,
                                   titulo, listMode, d.st, none);
    return d;
}

// The size of one read for the life of a test.
struct ChunkSize
{
    explicit ChunkSize(qint64 bytes) { Decoder::Testing::setChunkSize(bytes); }
    ~ChunkSize() { Decoder::Testing::setChunkSize(0); }
};

Decoder::Result decodeIn(const QByteArray &bytes, Decoder::Mode mode, qint64 chunk, Progress &progress)
{
    ChunkSize size(chunk);
    Decoder::MemorySource source(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
    return Decoder::decode(source, mode, progress);
}

// The decoding of `bytes` read in pieces of `chunk` bytes (0 = the normal
// size) agrees with the byte-by-byte reference in both modes.
void expectAsReference(const QByteArray &bytes, qint64 chunk, const std::string &what = {})
{
    NoProgress none;
    for (Decoder::Mode mode : {Decoder::Mode::List, Decoder::Mode::Test}) {
        const bool list = mode == Decoder::Mode::List;
        const ReferenceResult ref = referenceDecode(bytes, list);
        const Decoder::Result got = decodeIn(bytes, mode, chunk, none);
        ASSERT_EQ(got.found, ref.found) << what << " chunk " << chunk << " list " << list;
        ASSERT_EQ(got.paths, list ? ref.paths : QStringList()) << what << " chunk " << chunk;
        ASSERT_EQ(got.inicio, ref.inicio) << what << " chunk " << chunk;
        ASSERT_EQ(got.fin, ref.inicio > 0 ? ref.fin : 0) << what << " chunk " << chunk;
        ASSERT_EQ(got.header, Ansi::decode(ref.header)) << what << " chunk " << chunk;
        ASSERT_EQ(got.damaged, ref.damaged) << what << " chunk " << chunk;
        ASSERT_EQ(got.fullNames, list ? ref.fullNames : QStringList()) << what << " chunk " << chunk;
        ASSERT_FALSE(got.readError);
    }
}

// Piece sizes that put boundaries everywhere, and the normal one.
constexpr qint64 kChunks[] = {0, 1, 7, 13, 64};

QByteArray area(std::initializer_list<QByteArray> parts)
{
    QByteArray a;
    for (const QByteArray &p : parts)
        a += p;
    return a;
}

// A drive D: over a temporary folder. A decoding that loses track of a
// file changing under it could read for ever: each test ends within seconds.
struct DecoderFiles : LibraryTest
{
    Watchdog watchdog;
};

} // namespace

TEST(Decoder, FindsPathsInFileOrderKeepingCaseAndDuplicates)
{
    const auto d = decode(Fixtures::vipBytes({"C:\\Audio\\Take 1.WAV", "D:\\x\\y.flac", "E:\\m.mp3",
                                              "C:\\Audio\\Take 1.WAV", "F:\\s.OGG", "G:\\t.Aif"}));
    EXPECT_TRUE(d.found);
    EXPECT_EQ(d.paths, (QStringList{"C:\\Audio\\Take 1.WAV", "D:\\x\\y.flac", "E:\\m.mp3", "C:\\Audio\\Take 1.WAV",
                                    "F:\\s.OGG", "G:\\t.Aif"}));
    EXPECT_EQ(d.st.NumArchivos, 6);
}

TEST(Decoder, FlaTakesOneMoreByteButNotANul)
{
    EXPECT_EQ(decode(Fixtures::vipBytes({"D:\\x\\y.fla"})).paths, QStringList{"D:\\x\\y.fla"});
    EXPECT_EQ(decode(Fixtures::vipBytes({"D:\\x\\y.flac"})).paths, QStringList{"D:\\x\\y.flac"});
}

TEST(Decoder, DottedNamesAndFoldersAreFound)
{
    const auto d = decode(Fixtures::vipBytes({"C:\\Mix 1.2\\take.wav", "C:\\x\\a.b.wav", "C:\\t\\take.1.wav",
                                              "C:\\v\\Voz.01.wav"}));
    EXPECT_EQ(d.paths, (QStringList{"C:\\Mix 1.2\\take.wav", "C:\\x\\a.b.wav", "C:\\t\\take.1.wav",
                                    "C:\\v\\Voz.01.wav"}));
}

TEST(Decoder, AnInnerAudioExtensionGivesThePathSpelledUpToItsLastOne)
{
    // The bytes after an audio extension that a path may hold, up to the
    // NUL, lengthen the path when they end in another audio extension.
    const QByteArray nul(1, '\0');
    // The whole text up to the NUL, where it is longer, is told apart.
    const struct
    {
        QByteArray area;
        QStringList paths;
        QStringList fullNames = {};
    } cases[] = {
        {"D:\\A\\x.1.mp3.wav" + nul, {"D:\\A\\x.1.mp3.wav"}},
        {"D:\\A\\x.mp3.wav" + nul, {"D:\\A\\x.mp3.wav"}},
        {"D:\\A\\x.wav.MP3.ogg" + nul, {"D:\\A\\x.wav.MP3.ogg"}},
        {"D:\\A\\x.mp3 (copia).wav" + nul, {"D:\\A\\x.mp3 (copia).wav"}},
        {"D:\\A\\x.fla.wav" + nul, {"D:\\A\\x.fla.wav"}},
        {"D:\\A\\x.wav.flac" + nul, {"D:\\A\\x.wav.flac"}},
        {"D:\\A\\x.mp3\\B\\y.wav" + nul, {"D:\\A\\x.mp3\\B\\y.wav"}},
        // Nothing audio after it before the NUL: the path ends where it did.
        {"D:\\A\\x.mp3.txt" + nul, {"D:\\A\\x.mp3"}, {"D:\\A\\x.mp3.txt"}},
        {"D:\\A\\x.wav (2).wma" + nul + "E:\\y.ogg" + nul, {"D:\\A\\x.wav", "E:\\y.ogg"}, {"D:\\A\\x.wav (2).wma"}},
        // A byte no path holds ends the look: what follows is another path.
        {"D:\\A\\x.wavC:\\B\\y.wav" + nul, {"D:\\A\\x.wav", "C:\\B\\y.wav"}},
        {"D:\\A\\x.wav\x01y.wav" + nul + "E:\\z.ogg" + nul, {"D:\\A\\x.wav", "E:\\z.ogg"}},
        {"D:\\A\\x.wav|y.wav" + nul, {"D:\\A\\x.wav"}},
    };
    for (const auto &c : cases) {
        const QByteArray bytes = Fixtures::vipRaw(c.area);
        EXPECT_EQ(decode(bytes).paths, c.paths) << c.area.constData();
        EXPECT_EQ(decode(bytes).st.fullNames, c.fullNames) << c.area.constData();
        EXPECT_TRUE(decode(bytes, false).found);
        for (qint64 chunk : kChunks)
            expectAsReference(bytes, chunk, c.area.toStdString());
    }
}

TEST(Decoder, NoPathIsLongerThanAWindowsPath)
{
    // "D:\" + n bytes + ".wav": 32,767 characters in all is a path; one more
    // is none, and the scan goes on after it.
    const QByteArray nul(1, '\0');
    const QByteArray most = "D:\\" + QByteArray(32767 - 7, 'n') + ".wav";
    const QByteArray over = "D:\\" + QByteArray(32767 - 6, 'n') + ".wav";
    const struct
    {
        QByteArray area;
        QList<qsizetype> lengths;
    } cases[] = {
        {most + nul + "E:\\a.wav" + nul, {32767, 8}},
        {over + nul + "E:\\a.wav" + nul, {8}},
        {over + "E:\\a.wav" + nul, {8}},
        // Lengthened only within the limit.
        {"D:\\x.wav" + QByteArray(32767, 'n') + ".wav" + nul, {8}},
        {"D:\\x.wav" + QByteArray(32767 - 12, 'n') + ".wav" + nul, {32767}},
        // A run past the limit without an end is no path; the search for a
        // path goes on inside it.
        {"D:\\" + QByteArray(40000, 'n') + ".wav" + nul, {}},
        {"D:\\" + QByteArray(40000, 'n') + "C:\\y.wav" + nul, {8}},
        {"D:\\" + QByteArray(20000, 'n') + "C:\\" + QByteArray(20000, 'n') + "E:\\y.wav" + nul, {8}},
    };
    for (const auto &c : cases) {
        const QByteArray bytes = Fixtures::vipRaw(c.area);
        const auto d = decode(bytes);
        QList<qsizetype> lengths;
        for (const QString &p : d.paths)
            lengths << p.size();
        EXPECT_EQ(lengths, c.lengths) << c.area.size();
        for (qint64 chunk : {qint64(0), qint64(13), qint64(4096)})
            expectAsReference(bytes, chunk, std::to_string(c.area.size()));
    }
    // Test mode: a candidate too long is not a path either.
    EXPECT_FALSE(decode(Fixtures::vipRaw(over + nul), false).found);
}

TEST(Decoder, OtherExtensionEndedByNulDoesNotSwallowTheNextPath)
{
    // A NUL right after a dot whose extension failed must end that candidate.
    const auto d = decode(Fixtures::vipRaw(area({"C:\\a\\x.m", QByteArray(1, '\0'), "C:\\b\\y.wav", QByteArray(1, '\0')})));
    EXPECT_EQ(d.paths, QStringList{"C:\\b\\y.wav"});
    const auto e = decode(Fixtures::vipRaw(area({"C:\\a\\x.mid", QByteArray(1, '\0'), "C:\\b\\y.wav", QByteArray(1, '\0')})));
    EXPECT_EQ(e.paths, QStringList{"C:\\b\\y.wav"});
}

TEST(Decoder, AnyByteIsADriveLetterAndColonMustBeFollowedByBackslash)
{
    EXPECT_EQ(decode(Fixtures::vipBytes({"#:\\a.wav"})).paths, QStringList{"#:\\a.wav"});
    EXPECT_TRUE(decode(Fixtures::vipBytes({"C:/a.wav"})).paths.isEmpty());
}

TEST(Decoder, MarkerMissingGivesNoPathButTitleLine)
{
    Fixtures::VipOptions o;
    o.marker = false;
    const auto d = decode(Fixtures::vipBytes({"C:\\a.wav"}, o), true, "1 --> D:\\p.vip");
    EXPECT_FALSE(d.found);
    EXPECT_EQ(d.paths, QStringList{"1 --> D:\\p.vip"});
    EXPECT_EQ(d.st.FinDatos, 0);
}

TEST(Decoder, MarkerRightAfterAFalseLIsFound)
{
    // "LISTxxxxmdrX" then the real marker inside the twelve bytes after it.
    QByteArray a = "C:\\a.wav";
    a.append('\0');
    a += "xxLISTabLISTxxxxmdrl";
    Fixtures::VipOptions o;
    o.marker = false;
    const QByteArray bytes = Fixtures::vipRaw(a, o);
    const auto d = decode(bytes);
    EXPECT_TRUE(d.found);
    EXPECT_EQ(d.st.FinDatos, bytes.indexOf("LISTxxxxmdrl") + 1 - 5);
}

TEST(Decoder, TestModeAppendsNothing)
{
    const auto d = decode(Fixtures::vipBytes({"C:\\a.wav", "C:\\b.wav"}), false, "title");
    EXPECT_TRUE(d.found);
    EXPECT_TRUE(d.paths.isEmpty());
}

TEST(Decoder, WindowsAnsiBytesBecomeTheirCharacters)
{
    const auto d = decode(Fixtures::vipBytes({QStringLiteral("C:\\Canción\\Batería €.wav")}));
    EXPECT_EQ(d.paths, QStringList{QStringLiteral("C:\\Canción\\Batería €.wav")});
}

TEST(Decoder, HeaderWithoutNulLeavesNoAreaAndNeverReusesThePreviousStart)
{
    Decoder::State st;
    NoProgress none;
    QStringList l;
    const QByteArray good = Fixtures::vipBytes({"C:\\a.wav"});
    ASSERT_TRUE(Decoder::decodeBytes(reinterpret_cast<const uchar *>(good.constData()), good.size(), &l, {}, true, st, none));
    EXPECT_GT(st.InicioDatos, 97);
    // Same bytes past 97 but no NUL anywhere in the header: no path area.
    QByteArray bad = good;
    bad.replace('\0', '\x01');
    l.clear();
    EXPECT_FALSE(Decoder::decodeBytes(reinterpret_cast<const uchar *>(bad.constData()), bad.size(), &l, {}, true, st, none));
    EXPECT_EQ(st.InicioDatos, 0);
    EXPECT_TRUE(l.isEmpty());
    // 97 bytes or shorter.
    const QByteArray tiny(97, 'x');
    EXPECT_FALSE(Decoder::decodeBytes(reinterpret_cast<const uchar *>(tiny.constData()), tiny.size(), &l, {}, true, st, none));
    EXPECT_EQ(st.InicioDatos, 0);
}

TEST(Decoder, CancelledHeaderReadLeavesNoArea)
{
    struct Cancelled final : Progress
    {
        void setRange(qint64, qint64) override {}
        void setValue(qint64) override {}
        bool cancelled() const override { return true; }
        void pump() override {}
    } cancelled;
    Decoder::State st;
    st.InicioDatos = 500; // left from an earlier file
    QStringList l;
    const QByteArray bytes = Fixtures::vipBytes({"C:\\a.wav"});
    EXPECT_FALSE(Decoder::decodeBytes(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size(), &l, {}, true, st, cancelled));
    EXPECT_EQ(st.InicioDatos, 0);
}

TEST(Decoder, CountsBeyondSixteenBits)
{
    QStringList paths;
    for (int i = 0; i < 40000; ++i)
        paths << QStringLiteral("D:\\t\\%1.wav").arg(i);
    Fixtures::VipOptions o;
    o.fillerPerPath = 2;
    const auto d = decode(Fixtures::vipBytes(paths, o));
    EXPECT_EQ(d.paths.size(), 40000);
    EXPECT_EQ(d.st.NumArchivos, 40000);
}

TEST(Decoder, MatchesTheLiteralScanOnRandomAndMutatedInput)
{
    // Bytes drawn mostly from those the scan reacts to.
    const QByteArray alphabet = QByteArray(":\\.wavWAVmp3oggaifflacLISTmdrl", 30) + QByteArray(4, '\0') + "xyz 1|\x01";
    // Pieces of paths: extensions, drive starts, bytes that end a path.
    const QByteArray pieces[] = {".wav", ".MP3", ".fla", ".flac", ".ogg", ".aif", ".mid", ":\\", "D:\\", "\\", ".",
                                 "x", "1", " ", QByteArray(1, '\0'), "|", "\x01", ":", "LISTabcdmdrl"};
    QRandomGenerator rng(20261209);
    for (int round = 0; round < 4000; ++round) {
        QByteArray b;
        if (round % 4 == 3) {
            b = QByteArray(96, 'h') + "H" + QByteArray(1, '\0');
            const int n = 10 + int(rng.bounded(120));
            for (int i = 0; i < n; ++i)
                b += pieces[rng.bounded(int(std::size(pieces)))];
        } else if (round % 3 == 0) {
            QStringList paths;
            for (int k = 0; k < 5; ++k)
                paths << QStringLiteral("C:\\d%1\\f.%2").arg(k).arg(k % 2 ? "wav" : "fla");
            b = Fixtures::vipBytes(paths);
            const int flips = 1 + int(rng.bounded(8));
            for (int k = 0; k < flips; ++k)
                b[int(rng.bounded(b.size()))] = alphabet[int(rng.bounded(alphabet.size()))];
        } else {
            const int n = 90 + int(rng.bounded(400));
            b.resize(n);
            for (int i = 0; i < n; ++i)
                b[i] = alphabet[int(rng.bounded(alphabet.size()))];
            if (round % 3 == 1 && n > 140) {
                b[100] = '\0';
                b.replace(n - 20, 12, "LISTabcdmdrl");
            }
        }
        for (bool listMode : {true, false}) {
            const ReferenceResult ref = referenceDecode(b, listMode);
            const auto d = decode(b, listMode);
            ASSERT_EQ(d.found, ref.found) << "round " << round << " " << b.toHex().constData();
            if (listMode) {
                ASSERT_EQ(d.paths, ref.paths) << "round " << round;
                ASSERT_EQ(d.st.InicioDatos, ref.inicio);
                ASSERT_EQ(d.st.FinDatos, ref.fin);
                ASSERT_EQ(d.st.damaged, ref.damaged) << "round " << round;
                ASSERT_EQ(d.st.fullNames, ref.fullNames) << "round " << round;
            }
        }
        for (qint64 chunk : kChunks)
            expectAsReference(b, chunk, "round " + std::to_string(round));
    }
}

TEST(Decoder, PathsAndMarkerAcrossPieceBoundariesAreFoundAsInOnePiece)
{
    // Every shift of the same project against pieces of 1 to 40 bytes puts
    // each path start, dot, extension, NUL and marker byte on a boundary.
    const QStringList paths{"C:\\Audio\\Take 1.WAV", "D:\\x\\y.flac", "D:\\x\\y.fla", "E:\\a.b.wav",
                            "F:\\m\\x.mid", "G:\\t\\take.1.ogg", "#:\\z.Aif", "H:\\x.1.mp3.wav",
                            "H:\\y.fla.ogg.txt"};
    for (int shift = 0; shift < 16; ++shift) {
        Fixtures::VipOptions o;
        o.header = QString(shift, u'h');
        o.fillerPerPath = 3 + shift % 5;
        const QByteArray bytes = Fixtures::vipBytes(paths, o);
        for (qint64 chunk = 1; chunk <= 40; ++chunk)
            expectAsReference(bytes, chunk, "shift " + std::to_string(shift));
    }
    // A false "LIST" whose twelve bytes hold the real marker, on every boundary.
    for (int shift = 0; shift < 16; ++shift) {
        QByteArray a = QByteArray(shift, '\x05') + "C:\\a.wav";
        a.append('\0');
        a += "xxLISTabLISTxxxxmdrl";
        Fixtures::VipOptions o;
        o.marker = false;
        for (qint64 chunk = 1; chunk <= 24; ++chunk)
            expectAsReference(Fixtures::vipRaw(a, o), chunk, "false L, shift " + std::to_string(shift));
    }
    // A candidate running into the marker, whose middle bytes spell an audio
    // extension: the path area ends before it, wherever the pieces end.
    for (int shift = 0; shift < 16; ++shift) {
        const QByteArray a = QByteArray(shift, '\x05') + "C:\\take" + "LIST.wavmdrl";
        Fixtures::VipOptions o;
        o.marker = false;
        for (qint64 chunk = 1; chunk <= 24; ++chunk)
            expectAsReference(Fixtures::vipRaw(a, o), chunk, "into the marker, shift " + std::to_string(shift));
    }
}

TEST(Decoder, VeryLongCandidatesAreReadBackWithoutAGrowingBuffer)
{
    // Candidates far longer than a piece: accepted ones are read again from
    // the source, the others are only passed over.
    const QByteArray longName(10000, 'n');
    const QByteArray a = area({"C:\\", longName, ".wav", QByteArray(1, '\0'), "C:\\", longName, ".txt",
                               QByteArray(1, '\0'), "D:\\", longName, "\x01", longName, ".FLAC",
                               QByteArray(1, '\0'), "E:\\short.mp3", QByteArray(1, '\0')});
    const QByteArray bytes = Fixtures::vipRaw(a);
    for (qint64 chunk : {qint64(7), qint64(64), qint64(4096)}) {
        Decoder::Testing::resetLargestBuffer();
        expectAsReference(bytes, chunk, "long");
        EXPECT_LE(Decoder::Testing::largestBuffer(), 2 * chunk + 64) << "chunk " << chunk;
    }
    NoProgress none;
    const Decoder::Result r = decodeIn(bytes, Decoder::Mode::List, 64, none);
    ASSERT_EQ(r.paths.size(), 3);
    EXPECT_EQ(r.paths[0].size(), 3 + 10000 + 4);
    EXPECT_EQ(r.paths[1].size(), 3 + 20001 + 5);
}

TEST(Decoder, AHugeRunWithoutANulIsReadOnceInBoundedPiecesLettingEventsRun)
{
    // "D:\" and 64 MiB without a NUL or a colon, ".wav", then a path, made as
    // they are read: the run is no path, the path after it is found, no
    // buffer grows with the run, and events run every piece or so.
    Watchdog watchdog;
    struct Run final : Decoder::ByteSource
    {
        QByteArray head = Fixtures::vipRaw("D:\\", {.marker = false, .tail = {}});
        QByteArray tail = Fixtures::vipRaw(".wav" + QByteArray(1, '\0') + "E:\\a.wav" + QByteArray(1, '\0'))
                              .mid(Fixtures::vipRaw({}, {.marker = false, .tail = {}}).size());
        qint64 run = qint64(64) << 20;
        qint64 served = 0;
        qint64 size() const override { return head.size() + run + tail.size(); }
        qint64 read(qint64 offset, uchar *to, qint64 count) override
        {
            count = std::max<qint64>(0, std::min(count, size() - offset));
            for (qint64 i = 0; i < count; ++i) {
                const qint64 at = offset + i;
                to[i] = at < head.size()         ? uchar(head[at])
                        : at < head.size() + run ? uchar('n')
                                                 : uchar(tail[at - head.size() - run]);
            }
            served += count;
            return count;
        }
    } source;
    struct Pumps final : Progress
    {
        const Run *source = nullptr;
        qint64 last = 0, most = 0;
        int pumps = 0;
        void setRange(qint64, qint64) override {}
        void setValue(qint64) override {}
        bool cancelled() const override { return false; }
        void pump() override
        {
            ++pumps;
            most = std::max(most, source->served - last);
            last = source->served;
        }
    } pumps;
    pumps.source = &source;
    Decoder::Testing::resetLargestBuffer();
    const Decoder::Result r = Decoder::decode(source, Decoder::Mode::List, pumps);
    EXPECT_EQ(r.paths, QStringList{"E:\\a.wav"});
    EXPECT_FALSE(r.readError);
    EXPECT_LE(source.served, source.size() + (qint64(2) << 20)) << "read about once";
    EXPECT_LE(Decoder::Testing::largestBuffer(), qint64(3) << 20);
    EXPECT_GE(pumps.pumps, 64);
    EXPECT_LE(pumps.most, qint64(2) << 20) << "bytes read between two runs of the events";
}

TEST(Decoder, ProgressRangeIsFinDatosAndValuesFollowTheScan)
{
    struct Recorder final : Progress
    {
        QList<QPair<char, qint64>> calls;
        void setRange(qint64 lo, qint64 hi) override { calls.append({'r', hi + lo}); }
        void setValue(qint64 v) override { calls.append({'v', v}); }
        bool cancelled() const override { return false; }
        void pump() override {}
    };
    QStringList paths;
    for (int i = 0; i < 50; ++i)
        paths << QStringLiteral("C:\\p\\%1.wav").arg(i);
    const QByteArray bytes = Fixtures::vipBytes(paths);
    for (qint64 chunk : kChunks) {
        Recorder rec;
        const Decoder::Result r = decodeIn(bytes, Decoder::Mode::List, chunk, rec);
        ASSERT_FALSE(rec.calls.isEmpty());
        // The range is set once, to FinDatos, before any value.
        EXPECT_EQ(rec.calls.first(), qMakePair('r', r.fin)) << "chunk " << chunk;
        EXPECT_EQ(std::count_if(rec.calls.begin(), rec.calls.end(), [](auto c) { return c.first == 'r'; }), 1);
        for (const auto &c : rec.calls) {
            if (c.first == 'v') {
                EXPECT_TRUE(c.second >= r.inicio && c.second <= r.fin + 1) << c.second;
            }
        }
        EXPECT_EQ(rec.calls.last().first, 'v');
    }
    // No marker: range 0 and no value.
    Fixtures::VipOptions o;
    o.marker = false;
    Recorder rec;
    decodeIn(Fixtures::vipBytes(paths, o), Decoder::Mode::List, 13, rec);
    EXPECT_EQ(rec.calls, (QList<QPair<char, qint64>>{{'r', 0}}));
}

TEST(Decoder, ACancelKeepsThePathsFoundBeforeItAndStillFindsTheEnd)
{
    struct CancelAfter final : Progress
    {
        int pumps;
        explicit CancelAfter(int n) : pumps(n) {}
        void setRange(qint64, qint64) override {}
        void setValue(qint64) override {}
        bool cancelled() const override { return pumps <= 0; }
        void pump() override { --pumps; }
    };
    QStringList paths;
    for (int i = 0; i < 20; ++i)
        paths << QStringLiteral("C:\\p\\%1.wav").arg(i);
    const QByteArray bytes = Fixtures::vipBytes(paths);
    const ReferenceResult full = referenceDecode(bytes, true);
    int cutShort = 0;
    for (int n = 0; n < 200; n += 3) {
        CancelAfter cancel(n);
        const Decoder::Result r = decodeIn(bytes, Decoder::Mode::List, 16, cancel);
        if (r.inicio == 0) {
            // Cancelled while the header was read: no path area.
            EXPECT_TRUE(r.paths.isEmpty());
            EXPECT_EQ(r.fin, 0);
            continue;
        }
        cutShort += r.paths.size() > 0 && r.paths.size() < full.paths.size();
        EXPECT_EQ(r.paths, full.paths.mid(0, r.paths.size())) << "after " << n << " pumps";
        EXPECT_EQ(r.found, !r.paths.isEmpty());
        EXPECT_EQ(r.inicio, full.inicio);
        EXPECT_EQ(r.fin, full.fin) << "after " << n << " pumps";
    }
    EXPECT_GT(cutShort, 5);
}

TEST_F(DecoderFiles, ReadsProjectFilesThroughTheDriveMap)
{
    const QString p = put("P/Tema.vip", Fixtures::vipBytes({"D:\\P\\a.wav"}));
    Decoder::State st;
    NoProgress none;
    QStringList l;
    EXPECT_TRUE(Decoder::ExtraerNombres_Archivos(QStringLiteral("3 -->   ") + p, &l, "hdr", true, st, none));
    EXPECT_EQ(l, (QStringList{"hdr", "D:\\P\\a.wav"}));
    EXPECT_TRUE(Buscar::Valido(p, st, none));
}

TEST_F(DecoderFiles, NameAndFileTests)
{
    Decoder::State st;
    NoProgress none;
    QStringList l;
    const QByteArray good = Fixtures::vipBytes({"D:\\a.wav"});
    EXPECT_TRUE(Decoder::ExtraerNombres_Archivos(put("song.VIP.bak", good), &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos(put("song.vpr", good), &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos(put(".hidden.vip", good), &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos(put("empty.vip", {}), &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos("D:\\missing.vip", &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos("Q:\\unmapped.vip", &l, {}, false, st, none));
    QDir(dir.path()).mkpath("x.vip");
    EXPECT_FALSE(Buscar::Valido("D:\\x.vip", st, none));
    EXPECT_FALSE(Buscar::Valido(put("FreezeData/x.vip", good), st, none));
    // Case-blind resolution: the project says upper case, the disk has lower.
    put("Lower/tema.vip", good);
    EXPECT_TRUE(Buscar::Valido("D:\\LOWER\\TEMA.VIP", st, none));
    EXPECT_TRUE(l.isEmpty());
}

TEST_F(DecoderFiles, UnreadableProjectIsReportedAsARead_Error)
{
    RUN_AS_ORDINARY_USER();
    const QString p = put("locked.vip", Fixtures::vipBytes({"D:\\a.wav"}));
    QFile::setPermissions(dir.path() + "/locked.vip", QFileDevice::WriteOwner);
    Decoder::State st;
    NoProgress none;
    EXPECT_FALSE(Buscar::Valido(p, st, none));
    EXPECT_TRUE(st.readError);
}

TEST_F(DecoderFiles, GarbageFilesAreReadAsTheReferenceReadsThem)
{
    NoProgress none;
    const QByteArray project = Fixtures::vipBytes({"D:\\A\\x.wav", "E:\\B\\y.mp3"});
    int found = 0;
    for (int seed = 0; seed < 50; ++seed) {
        // Noise alone, or a project cut anywhere and followed by noise.
        QByteArray bytes = Fixtures::noise(seed * 97 + 1, quint32(seed));
        if (seed % 2)
            bytes.prepend(project.left(int(quint32(seed) * 7919u % quint32(project.size()))));
        const QString p = put(QStringLiteral("g%1.vip").arg(seed), bytes);
        const ReferenceResult ref = referenceDecode(bytes, true);
        Decoder::State st;
        QStringList l;
        EXPECT_EQ(Decoder::ExtraerNombres_Archivos(p, &l, "t", true, st, none), ref.found) << seed;
        EXPECT_EQ(l, QStringList{"t"} + ref.paths) << seed;
        EXPECT_FALSE(st.readError) << seed;
        found += ref.found ? 1 : 0;
    }
    EXPECT_GT(found, 0) << "some cut projects still name a path";
}

namespace {

// A project of `megabytes` on the drive: random bytes between paths, as a
// real project's other data, the end marker after them.
QByteArray bigProject(int megabytes, int paths, QStringList *names)
{
    const qint64 gap = qint64(megabytes) * 1024 * 1024 / paths;
    QByteArray a;
    a.reserve(qint64(megabytes) * 1024 * 1024 + paths * 32);
    quint32 x = 777;
    for (int i = 0; i < paths; ++i) {
        for (qint64 k = 0; k < gap; ++k) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            const char c = char(x >> 24);
            a.append(c == ':' ? ';' : c);
        }
        a.append('\0');
        const QString name = QStringLiteral("D:\\Audio\\take %1.wav").arg(i);
        a += name.toLatin1();
        a.append('\0');
        *names << name;
    }
    return Fixtures::vipRaw(a);
}

// Truncates a file the first time the decoding pumps events after `when`
// says so: a workstation or a sync tool rewriting the project meanwhile.
struct Truncator final : Progress
{
    QByteArray file;
    qint64 toSize = 0;
    bool rangeSet = false;
    bool afterRange = false; // wait until the end of the path area is known
    bool done = false;
    void setRange(qint64, qint64) override { rangeSet = true; }
    void setValue(qint64) override {}
    bool cancelled() const override { return false; }
    void pump() override
    {
        if (done || (afterRange && !rangeSet))
            return;
        done = true;
        EXPECT_EQ(::truncate(file.constData(), off_t(toSize)), 0);
    }
};

} // namespace

TEST_F(DecoderFiles, MemoryStaysBoundedWhateverTheProjectsSize)
{
    QStringList names;
    const QString p = put("Grande.vip", bigProject(24, 40, &names));
    Decoder::Testing::resetLargestBuffer();
    Decoder::State st;
    NoProgress none;
    QStringList l;
    EXPECT_TRUE(Decoder::ExtraerNombres_Archivos(p, &l, {}, true, st, none));
    EXPECT_EQ(l, names);
    EXPECT_FALSE(st.readError);
    EXPECT_GT(Decoder::Testing::largestBuffer(), 0);
    EXPECT_LE(Decoder::Testing::largestBuffer(), 3 * 1024 * 1024);
}

TEST_F(DecoderFiles, AProjectCutShortWhileDecodedGivesWhatWasReadAndAReadError)
{
    ChunkSize pieces(4096);
    QStringList names;
    const QByteArray bytes = bigProject(1, 20, &names);
    const qint64 markerAt = bytes.indexOf("LIST");
    const ReferenceResult full = referenceDecode(bytes, true);
    struct Case
    {
        const char *what;
        qint64 toSize;
        bool afterRange;
        bool found;
        bool readError;
    };
    const Case cases[] = {
        // The end marker is lost with the second half: no path area.
        {"half", bytes.size() / 2, false, false, true},
        {"all", 0, false, false, true},
        // Only bytes after the marker are lost: nothing that was needed.
        {"tail", markerAt + 12, false, true, false},
    };
    for (const Case &c : cases) {
        const QString p = put("Cortado.vip", bytes);
        Truncator cut;
        cut.file = QFile::encodeName(dir.path() + "/Cortado.vip");
        cut.toSize = c.toSize;
        cut.afterRange = c.afterRange;
        Decoder::State st;
        QStringList l;
        EXPECT_EQ(Decoder::ExtraerNombres_Archivos(p, &l, "titulo", true, st, cut), c.found) << c.what;
        EXPECT_TRUE(cut.done) << c.what;
        EXPECT_EQ(st.readError, c.readError) << c.what;
        EXPECT_EQ(st.InicioDatos, full.inicio) << c.what;
        EXPECT_EQ(st.FinDatos, c.found ? full.fin : 0) << c.what;
        EXPECT_EQ(l, c.found ? QStringList{"titulo"} + names : QStringList{"titulo"}) << c.what;
    }
}

TEST_F(DecoderFiles, APathReadAgainAfterTheProjectWasCutShortIsLeftOut)
{
    // Pieces shorter than the last path: its first bytes must be read again
    // once its extension is seen, after the file was cut to half.
    ChunkSize pieces(64);
    const QString longName = "D:\\" + QString(300, u'n') + ".wav";
    const QByteArray bytes = Fixtures::vipBytes({"D:\\a.wav", "D:\\b.wav", longName});
    const QString p = put("Cortado.vip", bytes);
    Truncator cut;
    cut.file = QFile::encodeName(dir.path() + "/Cortado.vip");
    cut.toSize = 200;
    cut.afterRange = true;
    Decoder::State st;
    QStringList l;
    EXPECT_TRUE(Decoder::ExtraerNombres_Archivos(p, &l, {}, true, st, cut));
    EXPECT_TRUE(cut.done);
    EXPECT_TRUE(st.readError);
    EXPECT_EQ(l, (QStringList{"D:\\a.wav", "D:\\b.wav"}));
    EXPECT_EQ(st.FinDatos, referenceDecode(bytes, true).fin);
}

TEST_F(DecoderFiles, HeaderIsReadInPiecesAsWhole)
{
    Fixtures::VipOptions o;
    o.header = QStringLiteral("C:\\Proyectos\\Canción ñ.vip");
    const QString p = put("Cab.vip", Fixtures::vipBytes({"D:\\a.wav"}, o));
    for (qint64 chunk : kChunks) {
        ChunkSize pieces(chunk);
        Decoder::State st;
        NoProgress none;
        EXPECT_EQ(Decoder::LeerCabecera(p, st, none), o.header);
        EXPECT_EQ(st.InicioDatos, 97 + o.header.size() + 1);
    }
}

TEST_F(DecoderFiles, APipeNamedLikeAProjectIsNeverWaitedOn)
{
    const QByteArray fifo = QFile::encodeName(dir.path() + "/pipe.vip");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    // Should a read wait for a writer, this thread comes after half a second
    // to let it go, and says so.
    std::atomic<bool> finished{false};
    std::atomic<bool> hadToRelease{false};
    std::thread writer([&] {
        for (int i = 0; i < 50 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        while (!finished) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                hadToRelease = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    Decoder::State st;
    NoProgress none;
    QStringList l;
    EXPECT_EQ(Decoder::LeerCabecera("D:\\pipe.vip", st, none), QString());
    EXPECT_EQ(Decoder::BuscarLISTmdrl("D:\\pipe.vip", 1, none), 0);
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos("D:\\pipe.vip", &l, {}, true, st, none));
    EXPECT_FALSE(Buscar::Valido("D:\\pipe.vip", st, none));
    finished = true;
    writer.join();
    EXPECT_FALSE(hadToRelease);
}

TEST(Decoder, TheMarkerIsFoundInBytesFullOfItsLetters)
{
    // Runs of "L", of "m", of both eight bytes apart, and near misses of the
    // marker everywhere: the marker placed at every offset of a block of
    // sixteen is found where the byte-by-byte scan finds it.
    const QByteArray fills[] = {QByteArray(3000, 'L'), QByteArray(3000, 'm'),
                                QByteArray("LLLLLLLLmmmmmmmm").repeated(190),
                                QByteArray("LISTxxxxmdrLISTyyyymdr").repeated(140),
                                QByteArray("LIS\0xxxxmdrl", 12).repeated(250)};
    for (const QByteArray &fill : fills) {
        for (int at = 0; at < 40; at += 3) {
            QByteArray a = "C:\\a.wav";
            a.append('\0');
            a += fill.left(1000 + at) + "LISTabcdmdrl" + fill.left(500);
            Fixtures::VipOptions o;
            o.marker = false;
            const QByteArray bytes = Fixtures::vipRaw(a, o);
            for (qint64 chunk : kChunks)
                expectAsReference(bytes, chunk, "offset " + std::to_string(at));
        }
        Fixtures::VipOptions o;
        o.marker = false;
        QByteArray none = "C:\\a.wav";
        none.append('\0');
        for (qint64 chunk : kChunks)
            expectAsReference(Fixtures::vipRaw(none + fill, o), chunk, "no marker");
    }
}

namespace {

// Puts the modification time of a file a second back (a file written a
// moment ago is read again at each use: it may still be being written).
void age(const QString &host, long seconds = 1)
{
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(host).constData(), &st), 0);
    struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    times[1].tv_sec -= seconds;
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(host).constData(), times, 0), 0);
}

// A progress whose cancel is already pending.
struct Cancelled final : Progress
{
    void setRange(qint64, qint64) override {}
    void setValue(qint64) override {}
    bool cancelled() const override { return true; }
    void pump() override {}
};

} // namespace

TEST_F(DecoderFiles, AnAnalysisReadsEachProjectOnce)
{
    Fixtures::VipOptions o;
    o.header = QStringLiteral("Cabecera");
    const QString p = put("P/Tema.vip", Fixtures::vipBytes({"D:\\P\\a.wav", "D:\\P\\b.WAV"}, o));
    age(dir.path() + "/P/Tema.vip");
    NoProgress none;
    Decoder::State st;
    QStringList l;
    Decoder::CacheScope analysis;
    const int before = Decoder::Testing::fileDecodings();
    EXPECT_TRUE(Buscar::Valido(p, st, none));
    EXPECT_EQ(Decoder::LeerCabecera(p, st, none), "Cabecera");
    EXPECT_EQ(st.InicioDatos, 97 + 8 + 1);
    EXPECT_TRUE(Decoder::ExtraerNombres_Archivos("1 --> " + p, &l, "titulo", true, st, none));
    EXPECT_TRUE(Decoder::ExtraerNombres_Archivos(p, &l, {}, true, st, none));
    EXPECT_EQ(l, (QStringList{"titulo", "D:\\P\\a.wav", "D:\\P\\b.WAV", "D:\\P\\a.wav", "D:\\P\\b.WAV"}));
    EXPECT_EQ(st.NumArchivos, 4);
    EXPECT_GT(st.FinDatos, st.InicioDatos);
    // The same file through another letter case of its name is the same file.
    EXPECT_TRUE(Buscar::Valido("D:\\p\\TEMA.VIP", st, none));
    EXPECT_EQ(Decoder::Testing::fileDecodings() - before, 1);
}

TEST_F(DecoderFiles, AProjectWrittenToDuringTheAnalysisIsReadAgain)
{
    const QString host = dir.path() + "/Tema.vip";
    const QString p = put("Tema.vip", Fixtures::vipBytes({"D:\\a.wav"}));
    age(host, 10);
    NoProgress none;
    Decoder::State st;
    Decoder::CacheScope analysis;
    auto paths = [&] {
        QStringList l;
        Decoder::ExtraerNombres_Archivos(p, &l, {}, true, st, none);
        return l;
    };
    ASSERT_EQ(paths(), QStringList{"D:\\a.wav"});
    int reads = Decoder::Testing::fileDecodings();

    // Another length.
    put("Tema.vip", Fixtures::vipBytes({"D:\\a.wav", "D:\\b.wav"}));
    age(host, 8);
    EXPECT_EQ(paths(), (QStringList{"D:\\a.wav", "D:\\b.wav"}));
    EXPECT_EQ(Decoder::Testing::fileDecodings(), ++reads);

    // The same length, written in place: only the modification time tells.
    put("Tema.vip", Fixtures::vipBytes({"D:\\a.wav", "D:\\c.wav"}));
    age(host, 6);
    EXPECT_EQ(paths(), (QStringList{"D:\\a.wav", "D:\\c.wav"}));
    EXPECT_EQ(Decoder::Testing::fileDecodings(), ++reads);

    // Another file put in its place with the same length and time.
    struct stat was;
    ASSERT_EQ(::stat(QFile::encodeName(host).constData(), &was), 0);
    put("other.vip", Fixtures::vipBytes({"D:\\a.wav", "D:\\d.wav"}));
    const struct timespec same[2] = {{0, UTIME_OMIT}, was.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(dir.path() + "/other.vip").constData(), same, 0), 0);
    ASSERT_EQ(::rename(QFile::encodeName(dir.path() + "/other.vip").constData(), QFile::encodeName(host).constData()), 0);
    EXPECT_EQ(paths(), (QStringList{"D:\\a.wav", "D:\\d.wav"}));
    EXPECT_EQ(Decoder::Testing::fileDecodings(), ++reads);

    // Unchanged: from memory.
    EXPECT_EQ(paths(), (QStringList{"D:\\a.wav", "D:\\d.wav"}));
    EXPECT_EQ(Decoder::Testing::fileDecodings(), reads);

    // Written a moment ago: read at each use, as it may still be written to.
    put("Tema.vip", Fixtures::vipBytes({"D:\\e.wav"}));
    EXPECT_EQ(paths(), QStringList{"D:\\e.wav"});
    EXPECT_EQ(paths(), QStringList{"D:\\e.wav"});
    EXPECT_EQ(Decoder::Testing::fileDecodings(), reads += 2);
    age(host);
    EXPECT_EQ(paths(), QStringList{"D:\\e.wav"});
    EXPECT_EQ(paths(), QStringList{"D:\\e.wav"});
    EXPECT_EQ(Decoder::Testing::fileDecodings(), reads + 1);
}

TEST_F(DecoderFiles, NothingIsKeptOutsideAnAnalysisNorFromACancelledReading)
{
    const QString p = put("Tema.vip", Fixtures::vipBytes({"D:\\a.wav"}));
    age(dir.path() + "/Tema.vip");
    NoProgress none;
    Cancelled cancel;
    Decoder::State st;
    QStringList l;
    int reads = Decoder::Testing::fileDecodings();
    EXPECT_TRUE(Buscar::Valido(p, st, none));
    EXPECT_TRUE(Buscar::Valido(p, st, none));
    EXPECT_EQ(Decoder::Testing::fileDecodings(), reads += 2);

    Decoder::CacheScope analysis;
    // A cancel pending gives what a cancelled reading gives, and is not kept.
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos(p, &l, {}, true, st, cancel));
    EXPECT_TRUE(l.isEmpty());
    EXPECT_TRUE(Decoder::ExtraerNombres_Archivos(p, &l, {}, true, st, none));
    EXPECT_EQ(l, QStringList{"D:\\a.wav"});
    EXPECT_EQ(Decoder::Testing::fileDecodings(), reads += 2);
    // Nor is a kept reading given while a cancel is pending.
    l.clear();
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos(p, &l, {}, true, st, cancel));
    EXPECT_TRUE(l.isEmpty());
    EXPECT_EQ(Decoder::Testing::fileDecodings(), reads + 1);
}
