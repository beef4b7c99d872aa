#pragma once

#include <QByteArrayView>
#include <QString>

// The ID3 version 1 tag of an MP3 file, read the way the player has always
// read it: a window of 255 bytes that begins 257 bytes before the end of the
// file (so the file's last two bytes are never looked at), and the fields
// taken from the first "tag" found in that window, case-blind, even when that
// "tag" lies in the audio bytes before the real tag. Files are only read.
namespace MMP3Info {

// Where the window starts, counted back from the end of the file, and its
// length. A file shorter than kWindowBack bytes has no window.
constexpr qsizetype kWindowBack = 257;
constexpr qsizetype kWindowSize = 255;

// Five fixed-width text fields: a value always holds exactly its width
// (shorter values padded with blanks, longer ones cut). A fresh record holds
// NUL characters only.
struct TagMP3
{
    QString Titulo = QString(30, QChar(0));
    QString Artista = QString(30, QChar(0));
    QString Album = QString(30, QChar(0));
    QString Anio = QString(4, QChar(0));
    QString Comentario = QString(30, QChar(0));

    bool operator==(const TagMP3 &) const = default;
};

// The record built from a window's bytes (each byte one Windows-1252
// character). A window without "tag" gives a fresh record. Bytes past
// kWindowSize are ignored.
TagMP3 tagFromWindow(QByteArrayView window);

// The record of a whole file's content: its window, or a fresh record when
// the content is shorter than kWindowBack bytes.
TagMP3 tagFromBytes(QByteArrayView fileBytes);

// The record of a file given as a Windows path. Reads the window only,
// whatever the file's size. A path that names no regular file (missing,
// a folder, a pipe), a file that cannot be opened or read, and a file
// shorter than kWindowBack bytes all give a fresh record.
TagMP3 LeerTagMP3(const QString &file);

} // namespace MMP3Info
