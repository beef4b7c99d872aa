#include "main/Decoder.h"

#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"
#include "tests/support/ReferenceDecoder.h"

#include "tests/support/LibraryTest.h"
#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QDir>

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

QByteArray area(std::initializer_list<QByteArray> parts)
{
    QByteArray a;
    for (const QByteArray &p : parts)
        a += p;
    return a;
}

// A drive D: over a temporary folder.
class DecoderFiles : public LibraryTest
{
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
    }
    QString write(const QString &rel, const QByteArray &bytes)
    {
        EXPECT_TRUE(Fixtures::writeFile(dir.path() + u'/' + rel, bytes));
        return QStringLiteral("D:\\") + QString(rel).replace(u'/', u'\\');
    }
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
    const QByteArray alphabet = QByteArray(":\\.wavWAVmp3oggaifflacLISTmdrl", 30) + QByteArray(4, '\0') + "xyz 1";
    QRandomGenerator rng(20261209);
    for (int round = 0; round < 3000; ++round) {
        QByteArray b;
        if (round % 3 == 0) {
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
            }
        }
    }
}

TEST_F(DecoderFiles, ReadsProjectFilesThroughTheDriveMap)
{
    const QString p = write("P/Tema.vip", Fixtures::vipBytes({"D:\\P\\a.wav"}));
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
    EXPECT_TRUE(Decoder::ExtraerNombres_Archivos(write("song.VIP.bak", good), &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos(write("song.vpr", good), &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos(write(".hidden.vip", good), &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos(write("empty.vip", {}), &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos("D:\\missing.vip", &l, {}, false, st, none));
    EXPECT_FALSE(Decoder::ExtraerNombres_Archivos("Q:\\unmapped.vip", &l, {}, false, st, none));
    QDir(dir.path()).mkpath("x.vip");
    EXPECT_FALSE(Buscar::Valido("D:\\x.vip", st, none));
    EXPECT_FALSE(Buscar::Valido(write("FreezeData/x.vip", good), st, none));
    // Case-blind resolution: the project says upper case, the disk has lower.
    write("Lower/tema.vip", good);
    EXPECT_TRUE(Buscar::Valido("D:\\LOWER\\TEMA.VIP", st, none));
    EXPECT_TRUE(l.isEmpty());
}

TEST_F(DecoderFiles, UnreadableProjectIsReportedAsARead_Error)
{
    RUN_AS_ORDINARY_USER();
    const QString p = write("locked.vip", Fixtures::vipBytes({"D:\\a.wav"}));
    QFile::setPermissions(dir.path() + "/locked.vip", QFileDevice::WriteOwner);
    Decoder::State st;
    NoProgress none;
    EXPECT_FALSE(Buscar::Valido(p, st, none));
    EXPECT_TRUE(st.readError);
}

TEST_F(DecoderFiles, GarbageFilesNeverCrash)
{
    Decoder::State st;
    NoProgress none;
    QStringList l;
    for (int seed = 0; seed < 50; ++seed) {
        const QString p = write(QStringLiteral("g%1.vip").arg(seed), Fixtures::noise(seed * 97 + 1, quint32(seed)));
        Decoder::ExtraerNombres_Archivos(p, &l, "t", true, st, none);
    }
    SUCCEED();
}
