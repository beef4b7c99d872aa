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
// Windows-1252 character).
namespace Decoder {

// What the main window keeps between decodings (every decoding overwrites it).
struct State
{
    qint64 InicioDatos = 0; // start of the path area; 0 = the file has none
    qint64 FinDatos = 0;    // end of the path area; 0 = no end marker
    int NumArchivos = 0;    // paths appended in list mode since set to 0
    bool readError = false; // the last file could not be opened or read
};

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
bool ExtraerNombres_Archivos(const QString &f, QStringList *list, const QString &titulo, bool test,
                             State &st, Progress &progress);

// The same over bytes already in memory (the file's whole content).
bool decodeBytes(const uchar *data, qint64 length, QStringList *list, const QString &titulo, bool test,
                 State &st, Progress &progress);

// The path part of a project-list item: the text after the first ">" with
// leading blanks removed, or the text itself when it holds no ">".
QString itemPath(const QString &f);

} // namespace Decoder

namespace Buscar {

// A file is a usable project when its path lacks "FreezeData", it exists as a
// normal file, its path holds a dot and ".vip", and the decoder finds at least
// one audio path in it. `st` receives the decoder's state (readError tells a
// project that could not be read from one without audio).
bool Valido(const QString &archivo, Decoder::State &st, Progress &progress);

} // namespace Buscar
