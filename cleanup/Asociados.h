#pragma once

#include "platform/FileRecord.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class Progress;

// The associated files: the peak and cache files that the workstation
// keeps next to each audio file it uses ("Take 1.wav" has "Take 1.h2" and
// "Take 1.hdp"), found by extension under a folder and listed under one
// numbered header per folder with their totals.

// The state the associated-files window and the scan share.
namespace General {

constexpr int kExtensiones = 13;
using Tabla = std::array<QString, kExtensiones>;

// The placeholder of an extension that is not searched: it never matches a
// file (a user's "x.-" is not a cache file).
inline const QString kSinExtension = QStringLiteral("-");

// The associated extensions searched (lower case, no dot), entries 0 to 9
// by audio type (two each: WAV, MP3, AIF, OGG, FLAC), 10 to 12 always.
inline Tabla ExtAsociados = {kSinExtension, kSinExtension, kSinExtension, kSinExtension, kSinExtension,
                             kSinExtension, kSinExtension, kSinExtension, kSinExtension, kSinExtension,
                             QStringLiteral("hz"),  QStringLiteral("hs"),  QStringLiteral("vi~")};
// For each entry, the extension of the audio file it belongs to ("-": none).
// FLAC's peak files name "flc", three letters.
inline const Tabla ExtAudio = {QStringLiteral("wav"), QStringLiteral("wav"), QStringLiteral("mp3"),
                               QStringLiteral("mp3"), QStringLiteral("aif"), QStringLiteral("aif"),
                               QStringLiteral("ogg"), QStringLiteral("ogg"), QStringLiteral("flc"),
                               QStringLiteral("flc"), kSinExtension,         kSinExtension,
                               kSinExtension};

// What the last scan counted (the window reuses NumAsociados and
// TotalMbAsociados for the selection). Plain integers: a large library
// must not stop a count.
inline qint64 NumCarpetasEscaneadas = 0;
inline qint64 NumCarpetasAsociados = 0;
inline qint64 NumAsociados = 0;
inline double TotalMbAsociados = 0;

} // namespace General

namespace Asociados {

// The five audio types of the filter, in order: "WAV", "MP3", "AIF", "OGG",
// "FLAC".
const QStringList &tiposAudio();
using Filtro = std::array<bool, 5>;

// The table for a filter selection: the two extensions of each selected type
// in its entries, the placeholder in the others, entries 10 to 12 always.
General::Tabla tabla(const Filtro &seleccion);

// Whether a file name is an associated file under `tabla`: its extension is
// at most 3 characters, not an audio or project extension, and equal to an
// entry that is not the placeholder.
bool esAsociado(const QString &name, const General::Tabla &tabla);

// The audio extension an associated extension (lower case) belongs to under
// `tabla`; "-" for none (the placeholder, "hz", "hs", "vi~", a type that is
// not selected).
QString ExtensionAudio(const General::Tabla &tabla, const QString &ext);

// The audio file a file line belongs to: its final extension (as written)
// replaced by the audio extension. "" when the line has no extension or the
// extension belongs to no audio type. "D:\h2o\Take 1.h2" -> "D:\h2o\Take 1.wav".
QString audioDe(const QString &line, const General::Tabla &tabla);

// One line of the list, with what it is: the role decides every rule (a
// folder named "Carpeta nueva" or "Mis archivos" is not a header).
struct Linea
{
    enum Role { Blank, Header, File };
    Role role = Blank;
    QString text;
    FileRecord record; // a file line: the file as it was listed
    bool totalled = false; // a header: its totals are appended
};

// The captions a scan reports through Progress::setCaption, by slot.
enum Caption {
    InicioRecorrido,     // the walk of the folders starts (text empty)
    CarpetaActual,       // the folder whose sub-folders are being listed
    CarpetasEncontradas, // "<n> carpetas encontradas...."
    FinRecorrido,        // the walk has ended (text empty)
    EscaneandoCarpeta,   // "Escaneando carpeta = <i>" (i from 0)
};

struct Resultado
{
    std::vector<Linea> lines;
    // The folders walked, the root first, in the order of the walk.
    QStringList carpetas;
    qint64 NumCarpetasEscaneadas = 0;
    qint64 NumCarpetasAsociados = 0;
    qint64 NumAsociados = 0;
    // Associated files whose name (or a folder's name above them) cannot be
    // a Windows name: never listed, as no line could name them; as shown.
    QStringList pasadosPorAlto;
    // Sub-folders that could not be read: listed and counted, not entered.
    QStringList carpetasIlegibles;
    // Why the root could not be walked ("" when it was).
    QString errorRaiz;
    bool cancelled = false;
};

// The totals of each header not yet totalled: " - <n> archivos  <MB> Mb.
// total" appended, n its file lines, MB their recorded sizes summed in MB to
// two decimals. Returns the size of every block it totalled, in MB to two
// decimals. A file whose size could not be read counts in n and adds nothing.
// `progress`, when given, lets events run as it goes.
double totales(std::vector<Linea> &lines, const QLocale &locale = QLocale(), Progress *progress = nullptr);

// Bytes in MB rounded to two decimals, an exact half to the even digit.
double megas(qint64 bytes);
// A number of MB as the captions write it: the shortest decimal text with
// the locale's decimal separator and no grouping ("0,05", "12").
QString textoMegas(double mb, const QLocale &locale = QLocale());

// The root as the scan takes it: "D:\Audio\" -> "D:\Audio"; a drive root
// "D:\" kept.
QString raiz(const QString &path);

} // namespace Asociados

// The walk and the listing of the associated-files scan, beside the project
// search.
namespace Buscar {

// Why a folder (a Windows path) cannot be walked, in Spanish ("" when it can
// be read).
QString ErrorCarpeta(const QString &windowsFolder);

// The whole scan under `path` (a Windows folder): every sub-folder at any
// depth, parents before children, in listing order; then the associated
// files of each folder in that order, under its header. Symbolic links to
// folders are listed, never entered; the trash folders ("RECYCLE" in the
// path, ".Trash", ".Trash-<n>", the user's own trash) give no line; a trash
// folder of the desktop is not even walked. Only regular files are listed
// (no pipe, device or link named like a peak file). Each file line carries its
// file's record. Captions and the progress bar (1 to 1000, cycling) go to
// `progress`, whose events run after every folder and every file.
Asociados::Resultado BuscarAsociados(const QString &path, const General::Tabla &tabla, Progress &progress);

} // namespace Buscar
