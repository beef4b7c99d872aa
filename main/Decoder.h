#pragma once

#include <QString>
#include <QStringList>

class Progress;

// The project decoder: finds the audio files a ".VIP" project uses, by
// position, without ever writing the file.
//
// Layout, positions counted from 1: a header text from byte 97 up to the
// first NUL; the path area from the byte after that NUL up to five bytes
// before the first "LIST" + 4 bytes + "mdrl" marker; in the area every
// "<any byte>:\...<.mp3|.wav|.aif|.ogg|.fla[c]>" is an audio path (the
// extension compared case-blind, the text kept as it stands, each byte one
// Windows-1252 character). Where more bytes that a path may hold follow and
// end in another audio extension, the path runs to that one ("x.mp3.wav").
// A candidate longer than the longest Windows path is no path.
namespace Decoder {

// What the main window keeps between decodings (every decoding overwrites it).
struct State
{
    qint64 InicioDatos = 0; // start of the path area; 0 = the file has none
    qint64 FinDatos = 0;    // end of the path area; 0 = no end marker
    int NumArchivos = 0;    // paths appended in list mode since set to 0
    bool readError = false; // the last file could not be opened, or not read whole
    QStringList damaged;    // the last file had no end marker: see Result::damaged
    QStringList fullNames;  // see Result::fullNames
};

// Where a decoding reads a project's bytes from, in pieces.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // The length the decoding goes by (a file's size when it was opened).
    virtual qint64 size() const = 0;
    // Copies up to `count` bytes from `offset` (counted from 0) into `to` and
    // returns how many it copied: fewer when the bytes are gone or cannot be
    // read (a file that shrank, an input/output error), 0 or -1 for none.
    virtual qint64 read(qint64 offset, uchar *to, qint64 count) = 0;
};

// Bytes already in memory; the caller keeps them alive.
class MemorySource final : public ByteSource
{
public:
    MemorySource(const uchar *data, qint64 length) : m_data(data), m_length(length) {}
    qint64 size() const override { return m_length; }
    qint64 read(qint64 offset, uchar *to, qint64 count) override;

private:
    const uchar *m_data;
    qint64 m_length;
};

enum class Mode {
    Header, // the header text and InicioDatos only
    Test,   // stop at the first audio path: `found` answers, `paths` stays empty
    List,   // every audio path, in file order
};

// What one decoding of one project gives.
struct Result
{
    QString header;     // the header text (at most its first MiB)
    qint64 inicio = 0;  // start of the path area; 0 = none
    qint64 fin = 0;     // end of the path area; 0 = no end marker (then no paths)
    QStringList paths;  // list mode: the audio paths, duplicates included
    // List mode: where the bytes after a path, up to the NUL that ends them,
    // could still stand in a path ("x.wav (2).wma"), the whole text they
    // spell, in file order. No path names such a file, but the project may
    // mean it: it must not be taken for unused.
    QStringList fullNames;
    bool found = false; // an audio path was found
    // A byte the decoding needed could not be read: the source shrank or
    // failed while it was read. What was read before counts; the bytes after
    // read as NUL (an end marker among them is lost, and with it the paths).
    bool readError = false;
    // A project with a header but no end marker (a copy cut short, a disk
    // error) names no path; these are the audio paths its bytes still hold
    // after the header, scanned as if the path area ran to the end of the
    // file (with their full names). They name files that must not be taken
    // for unused. Empty after a read error (the project is unreadable then).
    QStringList damaged;
};

// Decodes one project. The bytes are read once, in order, in pieces of a
// bounded size whatever the project's size (only an accepted path longer
// than a piece is read again); the end marker is searched a piece ahead of
// the path scan. `progress` is pumped as the reading goes and its range set
// to FinDatos once that is known. A cancel stops the header reading at once
// and the path scan at its next path-start search; the end marker is still
// searched, since it decides whether the paths found count.
Result decode(ByteSource &source, Mode mode, Progress &progress);

// The header text of a project (at most the first MiB of it is returned;
// nothing reads more) and, through `st`, the start of its path area.
QString LeerCabecera(const QString &windowsPath, State &st, Progress &progress);

// The end of the path area of a project, searching from `inicio`; 0 when the
// marker is missing.
qint64 BuscarLISTmdrl(const QString &windowsPath, qint64 inicio, Progress &progress);

// `f`: a project path or a project-list item ("3 --> D:\P\a.vip").
// `test`: true = list mode (append every audio path to `list`, after
// `titulo` when that is not ""), false = test mode (answer only whether the
// project names an audio path; nothing is appended).
// Returns true when an audio path was found (test mode) or appended.
// Only a regular file is opened. `st.readError` tells a file that could not be
// opened, or that shrank or failed while it was read (Result::readError).
bool ExtraerNombres_Archivos(const QString &f, QStringList *list, const QString &titulo, bool test,
                             State &st, Progress &progress);

// The same over bytes already in memory (the file's whole content).
bool decodeBytes(const uchar *data, qint64 length, QStringList *list, const QString &titulo, bool test,
                 State &st, Progress &progress);

// While one of these lives, what a project file yields (header, start and
// end of the path area, paths) is read once and kept, by host path, and
// given again for as long as the file's device, inode, length and
// modification time stay the same: the project test, the header, the
// project's list and the used-files list of one analysis read each project
// once. The first one made starts with nothing kept; the last one to go
// forgets everything. An analysis holds one for its length. A decoding with
// a cancel pending, cancelled, or cut short by a read error is never kept.
class CacheScope
{
public:
    CacheScope();
    ~CacheScope();
    CacheScope(const CacheScope &) = delete;
    CacheScope &operator=(const CacheScope &) = delete;
};

// Hooks for tests.
namespace Testing {
// The size of one read (0 = the normal size of about a MiB). A few bytes put
// piece boundaries everywhere in small inputs.
void setChunkSize(qint64 bytes);
// The largest buffer a decoding has held since the last reset, in bytes.
qint64 largestBuffer();
void resetLargestBuffer();
// Project files opened and decoded so far (cache hits not counted).
int fileDecodings();
} // namespace Testing

} // namespace Decoder

namespace Buscar {

// A file is a usable project when its path lacks "FreezeData", it exists as a
// normal file, its path holds a dot and ".vip", and the decoder finds at least
// one audio path in it. `st` receives the decoder's state (readError tells a
// project that could not be read from one without audio).
bool Valido(const QString &archivo, Decoder::State &st, Progress &progress);

} // namespace Buscar
