#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtEndian>

// The WAVE and MP3 writers; included here for the callers that only know this header.
#include "tests/support/AudioFixtures.h"
#include "platform/FileRecord.h"

// Writers of the files the program reads, made from their formats, so that no
// binary file has to be kept with the sources.
namespace Fixtures {

// Appends `v` in little-endian byte order, as the formats store numbers.
template <typename T>
void le(QByteArray &b, T v)
{
    char c[sizeof(T)];
    qToLittleEndian(v, c);
    b.append(c, sizeof(T));
}

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

// The record of a file as the analysis takes it (the drive letter that
// holds the host path); an empty record when it cannot be taken.
FileRecord recordOf(const QString &hostPath);
// The same for a Windows path.
FileRecord recordOfWindows(const QString &windowsPath);

// A folder (an absolute host path) held open as the program holds the
// folders it writes into: every name from "/" opened without following a
// link. Not open when it cannot be.
SafeFs::Folder openFolder(const QString &hostPath);

// Writes a file whose host path is given as bytes (a name that is not
// UTF-8, say); its folder must exist. False on failure.
bool writeRaw(const QByteArray &hostPath, const QByteArray &bytes);

// Writes bytes to a host path, creating the folders; false on failure.
bool writeFile(const QString &hostPath, const QByteArray &bytes);

// Writes `bytes` over the start of an existing file in place (same inode)
// and puts its modification time back as it was: the file still looks like
// the one recorded (device, inode, length, time) but holds other bytes.
bool rewriteUnseen(const QString &hostPath, const QByteArray &bytes);

// Puts another file of the same length and modification time in the
// place of `hostPath` (the old one moved to `keepAs`, so its inode number
// cannot come back): only its device and inode tell it apart.
bool replaceLookingTheSame(const QString &hostPath, const QString &keepAs);

// A small random-but-fixed stream of bytes (for "different contents").
QByteArray noise(int size, quint32 seed);

} // namespace Fixtures
