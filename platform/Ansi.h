#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Windows-1252 ("ANSI") text, the encoding of project files, logs and listings.
// Qt 6.4 has no cp1252 codec, so the table is our own.
namespace Ansi {

// One byte as the character Windows-1252 gives it. The five bytes that
// code page leaves undefined map to the C1 control of the same value.
QChar toChar(unsigned char byte);

// Bytes to text, one byte one character: lengths and positions are kept.
QString decode(QByteArrayView bytes);

// True when every character of the text has a Windows-1252 byte.
bool canEncode(const QString &text);

// Text to Windows-1252. Characters without a byte become '?' and *ok turns
// false, so a caller that must not lose a name can fall back to UTF-8.
QByteArray encode(const QString &text, bool *ok = nullptr);

// The bytes of a text file we write: Windows-1252 with CR LF after every line,
// or, when a line cannot be held in Windows-1252, UTF-8 with a byte-order mark
// (never a line with '?' in place of a letter).
QByteArray textFile(const QStringList &lines);

// Reads back what textFile wrote, and plain Windows-1252 or UTF-8 (with a BOM)
// texts written by hand; CR LF, LF and CR all end a line. A final line ending
// does not make an empty last line.
QStringList readLines(const QByteArray &bytes);

} // namespace Ansi
