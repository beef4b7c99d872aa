#include "cleanup/Asociados.h"

#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Asociados::Linea;

const Asociados::Filtro kSoloWav = {true, false, false, false, false};
const Asociados::Filtro kTodos = {true, true, true, true, true};

// What a scan reported, caption by caption.
struct Recorder final : Progress
{
    void setRange(qint64 minimum, qint64 maximum) override { range = {minimum, maximum}; }
    void setValue(qint64 v) override { values << v; }
    bool cancelled() const override { return false; }
    void pump() override { ++pumps; }
    void setCaption(int slot, const QString &text) override { captions[slot] << text; }

    QPair<qint64, qint64> range;
    QList<qint64> values;
    int pumps = 0;
    QMap<int, QStringList> captions;
};

QStringList texts(const std::vector<Linea> &lines)
{
    QStringList out;
    for (const Linea &l : lines)
        out << l.text;
    return out;
}

class AssociatedScan : public LibraryTest
{
protected:
    Asociados::Resultado scan(const QString &root, const Asociados::Filtro &filtro = kSoloWav)
    {
        Recorder progress;
        return Buscar::BuscarAsociados(root, Asociados::tabla(filtro), progress);
    }
    void put(const QString &rel, int size = 16) { write(rel, QByteArray(size, 'x')); }
    void folder(const QString &rel) { ASSERT_TRUE(QDir().mkpath(dir.path() + u'/' + rel)); }
};

} // namespace

TEST_F(AssociatedScan, ListsTheExampleLayoutWithItsTotals)
{
    put("Audio/Tema/Take 1.h2", 31457);
    put("Audio/Tema/Take 1.hdp", 31457);
    put("Audio/Tema/Take 1.wav");
    put("Audio/Tema/Bajos/Bajo.hmp", 10486);
    put("Audio/Tema/Bajos/Bajo.mp3");
    Recorder progress;
    Asociados::Resultado r = Buscar::BuscarAsociados("D:\\Audio\\Tema\\", Asociados::tabla({true, true}), progress);
    EXPECT_EQ(r.carpetas, (QStringList{"D:\\Audio\\Tema", "D:\\Audio\\Tema\\Bajos"}));
    EXPECT_EQ(r.NumCarpetasEscaneadas, 2);
    EXPECT_EQ(r.NumCarpetasAsociados, 2);
    EXPECT_EQ(r.NumAsociados, 3);
    EXPECT_EQ(Asociados::totales(r.lines, QLocale(QLocale::Spanish)), 0.07);
    EXPECT_EQ(texts(r.lines), (QStringList{" ", "Carpeta 1 -> D:\\Audio\\Tema - 2 archivos  0,06 Mb. total", " ",
                                           "D:\\Audio\\Tema\\Take 1.h2", "D:\\Audio\\Tema\\Take 1.hdp", " ",
                                           "Carpeta 2 -> D:\\Audio\\Tema\\Bajos - 1 archivos  0,01 Mb. total", " ",
                                           "D:\\Audio\\Tema\\Bajos\\Bajo.hmp"}));
    const QList<Linea::Role> roles = {Linea::Blank, Linea::Header, Linea::Blank, Linea::File, Linea::File,
                                      Linea::Blank, Linea::Header, Linea::Blank, Linea::File};
    for (size_t i = 0; i < r.lines.size(); ++i)
        EXPECT_EQ(r.lines[i].role, roles[qsizetype(i)]) << i;
    // Each file line carries the exact file it names.
    const FileRecord take = Fixtures::recordOf(dir.path() + "/Audio/Tema/Take 1.hdp");
    EXPECT_EQ(r.lines[4].record, take);
    EXPECT_TRUE(SafeFs::check(r.lines[4].record).ok());

    EXPECT_EQ(progress.range, qMakePair(qint64(1), qint64(1000)));
    EXPECT_EQ(progress.captions[Asociados::CarpetasEncontradas], QStringList{"2 carpetas encontradas...."});
    EXPECT_EQ(progress.captions[Asociados::CarpetaActual], QStringList{"D:\\Audio\\Tema"});
    EXPECT_EQ(progress.captions[Asociados::EscaneandoCarpeta],
              (QStringList{"Escaneando carpeta = 0", "Escaneando carpeta = 1"}));
    EXPECT_EQ(progress.captions[Asociados::InicioRecorrido].size(), 1);
    EXPECT_EQ(progress.captions[Asociados::FinRecorrido].size(), 1);
    EXPECT_GT(progress.pumps, 3);
}

TEST_F(AssociatedScan, WalksParentsBeforeChildrenInListingOrder)
{
    for (const char *f : {"R/b/x.h2", "R/a/c/x.h2", "R/a/x.h2", "R/B2/x.h2", "R/x.h2"})
        put(f);
    folder("R/a/empty");
    const Asociados::Resultado r = scan("D:\\R");
    EXPECT_EQ(r.carpetas, (QStringList{"D:\\R", "D:\\R\\a", "D:\\R\\a\\c", "D:\\R\\a\\empty", "D:\\R\\b",
                                       "D:\\R\\B2"}));
    // Folders without a match get no header; the numbers have no gaps.
    QStringList headers;
    for (const Linea &l : r.lines)
        if (l.role == Linea::Header)
            headers << l.text;
    EXPECT_EQ(headers, (QStringList{"Carpeta 1 -> D:\\R", "Carpeta 2 -> D:\\R\\a", "Carpeta 3 -> D:\\R\\a\\c",
                                    "Carpeta 4 -> D:\\R\\b", "Carpeta 5 -> D:\\R\\B2"}));
    EXPECT_EQ(r.NumCarpetasEscaneadas, 6);
}

TEST_F(AssociatedScan, DriveRootKeepsItsBackslash)
{
    put("x.h2");
    put("Sub/y.hdp");
    const Asociados::Resultado r = scan("D:\\");
    EXPECT_EQ(r.carpetas, (QStringList{"D:\\", "D:\\Sub"}));
    EXPECT_EQ(texts(r.lines), (QStringList{" ", "Carpeta 1 -> D:", " ", "D:\\\\x.h2", " ", "Carpeta 2 -> D:\\Sub", " ",
                                           "D:\\Sub\\y.hdp"}));
    EXPECT_TRUE(r.lines[3].record.isValid());
}

TEST_F(AssociatedScan, RootWithoutSubFoldersIsOneFolder)
{
    put("Solo/a.wav");
    const Asociados::Resultado r = scan("D:\\Solo\\");
    EXPECT_EQ(r.carpetas, QStringList{"D:\\Solo"});
    EXPECT_EQ(r.NumCarpetasEscaneadas, 1);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_TRUE(r.errorRaiz.isEmpty());
}

TEST_F(AssociatedScan, MatchesByTheLastExtensionInLowerCaseKeepingTheNamesCase)
{
    struct Case
    {
        const char *name;
        bool listed;
    };
    const Case cases[] = {
        {"Take 1.H2", true},        {"Take 1.wav.hdp", true}, {"Take 1.h2~", false}, {"a.hmp", false},
        {"a.hz", true},             {"a.hs", true},           {"a.vi~", true},       {"a.wav", false},
        {"a.hdpx", false},          {"a.", false},            {".hz", true},         {"[Mezcla] ñ á.hdp", true},
        {"con  blancos .h2", true},
    };
    for (const Case &c : cases)
        put(QStringLiteral("F/") + QString::fromUtf8(c.name));
    const Asociados::Resultado r = scan("D:\\F");
    QStringList listed;
    for (const Linea &l : r.lines)
        if (l.role == Linea::File)
            listed << l.text.mid(5);
    for (const Case &c : cases)
        EXPECT_EQ(listed.contains(QString::fromUtf8(c.name)), c.listed) << c.name;
}

// A user's file is never taken for a cache file: the placeholder of a type
// that is not selected matches nothing, and a name without a dot has no
// extension.
TEST_F(AssociatedScan, PlaceholderAndDotlessNamesNeverMatch)
{
    put("F/x.-");
    put("F/hz");
    put("F/HZ2");
    put("F/vi~");
    put("F/a.h2");
    const Asociados::Resultado r = scan("D:\\F");
    EXPECT_EQ(texts(r.lines), (QStringList{" ", "Carpeta 1 -> D:\\F", " ", "D:\\F\\a.h2"}));
    EXPECT_FALSE(Asociados::esAsociado("hz", Asociados::tabla(kSoloWav)));
    EXPECT_TRUE(Asociados::esAsociado("Take.HDP", Asociados::tabla(kSoloWav)));
    EXPECT_FALSE(Asociados::esAsociado("x.-", Asociados::tabla(kSoloWav)));
    EXPECT_EQ(Asociados::ExtensionAudio(Asociados::tabla(kSoloWav), "-"), "-");
}

TEST_F(AssociatedScan, FilterDecidesWhichTypesAreSearched)
{
    for (const char *n : {"a.h2", "a.hdp", "a.hmp", "a.hm2", "a.ha2", "a.hgp", "a.hf2", "a.hfp", "a.hz"})
        put(QStringLiteral("F/") + QLatin1String(n));
    const auto names = [](const Asociados::Resultado &r) {
        QStringList out;
        for (const Linea &l : r.lines)
            if (l.role == Linea::File)
                out << l.text.mid(7);
        return out;
    };
    EXPECT_EQ(names(scan("D:\\F", kSoloWav)), (QStringList{"h2", "hdp", "hz"}));
    EXPECT_EQ(names(scan("D:\\F", {false, true, false, false, true})), (QStringList{"hf2", "hfp", "hm2", "hmp", "hz"}));
    EXPECT_EQ(names(scan("D:\\F", kTodos)).size(), 9);
    const General::Tabla t = Asociados::tabla({false, false, false, false, true});
    EXPECT_EQ(Asociados::ExtensionAudio(t, "hfp"), "flc");
    EXPECT_EQ(Asociados::ExtensionAudio(t, "hdp"), "-");
    EXPECT_EQ(Asociados::ExtensionAudio(t, "hz"), "-");
}

// A folder whose path holds "Carpeta" or "archivos" is an ordinary folder:
// its files are file lines, totalled like any other.
TEST_F(AssociatedScan, LineRolesDoNotComeFromTheText)
{
    put("Mis archivos/a.h2", 1048576);
    put("Carpeta nueva/b.h2", 1048576);
    Asociados::Resultado r = scan("D:\\");
    EXPECT_EQ(Asociados::totales(r.lines), 2);
    EXPECT_EQ(texts(r.lines),
              (QStringList{" ", "Carpeta 1 -> D:\\Carpeta nueva - 1 archivos  1 Mb. total", " ",
                           "D:\\Carpeta nueva\\b.h2", " ", "Carpeta 2 -> D:\\Mis archivos - 1 archivos  1 Mb. total",
                           " ", "D:\\Mis archivos\\a.h2"}));
    EXPECT_EQ(r.lines[3].role, Linea::File);
    EXPECT_EQ(r.lines[7].role, Linea::File);
    // Totals once: a second pass leaves them as they are.
    const QStringList once = texts(r.lines);
    EXPECT_EQ(Asociados::totales(r.lines), 0);
    EXPECT_EQ(texts(r.lines), once);
}

TEST_F(AssociatedScan, TwoScansNumberTheirHeadersFromOne)
{
    put("A/a.h2");
    put("A/B/b.h2");
    EXPECT_EQ(texts(scan("D:\\A").lines), texts(scan("D:\\A").lines));
    EXPECT_EQ(scan("D:\\A\\B").lines[1].text, "Carpeta 1 -> D:\\A\\B");
}

TEST_F(AssociatedScan, RoundsMegabytesToTwoDecimalsHalvesToEven)
{
    struct Case
    {
        qint64 bytes;
        double mb;
        const char *shown;
    };
    const Case cases[] = {
        {0, 0, "0"},          {5242, 0, "0"},         {5243, 0.01, "0,01"},     {131072, 0.12, "0,12"},
        {393216, 0.38, "0,38"}, {1048576, 1, "1"},     {12582912, 12, "12"},      {104858, 0.1, "0,1"},
        {qint64(1) << 40, 1048576, "1048576"},
    };
    const QLocale comma(QLocale::Spanish);
    for (const Case &c : cases) {
        EXPECT_EQ(Asociados::megas(c.bytes), c.mb) << qint64(c.bytes);
        EXPECT_EQ(Asociados::textoMegas(Asociados::megas(c.bytes), comma), QString::fromLatin1(c.shown)) << qint64(c.bytes);
    }
    EXPECT_EQ(Asociados::textoMegas(0.05, QLocale::c()), "0.05");
}

TEST_F(AssociatedScan, AudioOfALineReplacesTheFinalExtensionOnly)
{
    const General::Tabla wav = Asociados::tabla(kSoloWav);
    EXPECT_EQ(Asociados::audioDe("D:\\h2o\\Take 1.h2", wav), "D:\\h2o\\Take 1.wav");
    EXPECT_EQ(Asociados::audioDe("D:\\hdp\\Take.hdp.HDP", wav), "D:\\hdp\\Take.hdp.wav");
    EXPECT_EQ(Asociados::audioDe("D:\\x\\a.hz", wav), "");
    EXPECT_EQ(Asociados::audioDe("D:\\x.h2\\sin", wav), "");
    EXPECT_EQ(Asociados::audioDe("D:\\x\\a.hmp", wav), "");
    EXPECT_EQ(Asociados::audioDe("D:\\x\\a.hmp", Asociados::tabla({false, true})), "D:\\x\\a.mp3");
}

// Counts are plain integers: a library with more than 32767 associated
// files is counted to its end.
TEST_F(AssociatedScan, CountsPassSixteenBits)
{
    folder("Muchos");
    const QByteArray base = QFile::encodeName(dir.path() + "/Muchos/t");
    for (int i = 0; i < 33000; ++i) {
        const int fd = ::open((base + QByteArray::number(i) + ".hz").constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    Asociados::Resultado r = scan("D:\\Muchos");
    EXPECT_EQ(r.NumAsociados, 33000);
    Asociados::totales(r.lines);
    EXPECT_TRUE(r.lines[1].text.endsWith(" - 33000 archivos  0 Mb. total"));
}

// What the user threw away is not offered again: the Windows recycle bin is
// walked but gives no line, the desktop's trash folders are not even walked.
TEST_F(AssociatedScan, TrashFoldersAreNeverOffered)
{
    put("$RECYCLE.BIN/S-1/a.h2");
    put("Recycled/b.h2");
    put(".Trash/1000/files/c.h2");
    put(".Trash-1000/files/d.h2");
    put(".Trash-x/e.h2");
    put("home/Trash/files/f.h2");
    put("otro/Trash/g.h2");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + "/home"));
    const Asociados::Resultado r = scan("D:\\");
    const Asociados::Resultado inside = scan("D:\\home\\Trash");
    qputenv("XDG_DATA_HOME", saved);
    QStringList files;
    for (const Linea &l : r.lines)
        if (l.role == Linea::File)
            files << l.text;
    EXPECT_EQ(files, (QStringList{"D:\\.Trash-x\\e.h2", "D:\\otro\\Trash\\g.h2", "D:\\Recycled\\b.h2"}));
    EXPECT_TRUE(r.carpetas.contains("D:\\$RECYCLE.BIN\\S-1"));
    for (const QString &c : r.carpetas)
        EXPECT_FALSE(c.contains(".Trash\\") || c.contains(".Trash-1000") || c.contains("home\\Trash")) << c.toStdString();
    EXPECT_TRUE(inside.lines.empty());
    EXPECT_FALSE(inside.errorRaiz.isEmpty());
}

// A name no Windows path can hold could not be named by a line without
// naming another file: passed over and counted.
TEST_F(AssociatedScan, NamesThatCannotBeWindowsNamesArePassedOverAndCounted)
{
    folder("F");
    folder("F/ma\\la");
    const QByteArray base = QFile::encodeName(dir.path() + "/F/");
    ASSERT_TRUE(Fixtures::writeRaw(base + "linea\nnueva.h2", "x"));
    ASSERT_TRUE(Fixtures::writeRaw(base + "bar\\ra.h2", "x"));
    ASSERT_TRUE(Fixtures::writeRaw(base + "no-utf8-\xff.h2", "x"));
    ASSERT_TRUE(Fixtures::writeRaw(base + "ma\\la/dentro.h2", "x"));
    ASSERT_TRUE(Fixtures::writeRaw(base + "bien.h2", "x"));
    const Asociados::Resultado r = scan("D:\\F");
    EXPECT_EQ(texts(r.lines), (QStringList{" ", "Carpeta 1 -> D:\\F", " ", "D:\\F\\bien.h2"}));
    EXPECT_EQ(r.pasadosPorAlto.size(), 4);
    EXPECT_EQ(r.NumAsociados, 1);
    // The temporary folder cannot name it to remove it.
    ::unlink((base + "no-utf8-\xff.h2").constData());
}

TEST_F(AssociatedScan, LinksToFoldersAreListedNeverEntered)
{
    put("R/real/a.h2");
    ASSERT_EQ(::symlink((dir.path() + "/R").toLocal8Bit().constData(), (dir.path() + "/R/bucle").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink((dir.path() + "/R/real").toLocal8Bit().constData(),
                        (dir.path() + "/R/enlace").toLocal8Bit().constData()),
              0);
    const Asociados::Resultado r = scan("D:\\R");
    EXPECT_EQ(r.carpetas, (QStringList{"D:\\R", "D:\\R\\bucle", "D:\\R\\enlace", "D:\\R\\real"}));
    EXPECT_EQ(texts(r.lines), (QStringList{" ", "Carpeta 1 -> D:\\R\\real", " ", "D:\\R\\real\\a.h2"}));
}

TEST_F(AssociatedScan, OnlyRegularFilesAreListed)
{
    // Named like peak files, but a pipe, a device and a link are no files
    // to delete (reading or removing them would block or act elsewhere).
    put("R/real.h2");
    const QByteArray r = QFile::encodeName(dir.path() + "/R/");
    ASSERT_EQ(::mkfifo(r + "pipe.h2", 0600), 0);
    ASSERT_EQ(::symlink(r + "real.h2", r + "enlace.hdp"), 0);
    const bool device = ::mknod(r + "disp.h2", S_IFCHR | 0600, makedev(1, 3)) == 0; // as root only
    const Asociados::Resultado res = scan("D:\\R");
    EXPECT_EQ(texts(res.lines), (QStringList{" ", "Carpeta 1 -> D:\\R", " ", "D:\\R\\real.h2"})) << device;
}

TEST_F(AssociatedScan, RootThatCannotBeWalkedSaysWhy)
{
    put("archivo.h2");
    struct Case
    {
        QString root;
        QString starts;
    };
    const Case cases[] = {
        {"D:\\no existe", "No existe la carpeta D:\\no existe"},
        {"D:\\archivo.h2", "No es una carpeta: D:\\archivo.h2"},
        {"Q:\\x", "La unidad de la ruta no está disponible"},
    };
    for (const Case &c : cases) {
        const Asociados::Resultado r = scan(c.root);
        EXPECT_TRUE(r.errorRaiz.startsWith(c.starts)) << r.errorRaiz.toStdString();
        EXPECT_TRUE(r.lines.empty());
        EXPECT_EQ(r.NumCarpetasEscaneadas, 1);
    }
}

TEST_F(AssociatedScan, UnreadableSubFolderIsListedNotEntered)
{
    RUN_AS_ORDINARY_USER();
    put("R/cerrada/a.h2");
    put("R/abierta/b.h2");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path() + "/R/cerrada").constData(), 0), 0);
    const Asociados::Resultado r = scan("D:\\R");
    ::chmod(QFile::encodeName(dir.path() + "/R/cerrada").constData(), 0755);
    EXPECT_EQ(r.carpetas, (QStringList{"D:\\R", "D:\\R\\abierta", "D:\\R\\cerrada"}));
    EXPECT_EQ(r.carpetasIlegibles, QStringList{"D:\\R\\cerrada"});
    EXPECT_EQ(texts(r.lines), (QStringList{" ", "Carpeta 1 -> D:\\R\\abierta", " ", "D:\\R\\abierta\\b.h2"}));
}
