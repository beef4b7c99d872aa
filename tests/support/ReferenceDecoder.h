#pragma once

#include <QByteArray>
#include <QStringList>

// The decoder's scan written out step by step, one byte at a time, with no
// shortcuts: the fast decoder must give exactly what this gives.
struct ReferenceResult
{
    QByteArray header; // the header's bytes (at most the first MiB)
    QStringList paths;
    // The text each path's bytes spell up to the NUL that ends them, where
    // that is longer than the path and every byte may stand in a path.
    QStringList fullNames;
    bool found = false;
    qint64 inicio = 0;
    qint64 fin = 0;
    // A header but no end marker: the audio paths that the bytes after the
    // header hold, as the scan reads them up to the end of the file, then
    // their full names.
    QStringList damaged;
};

ReferenceResult referenceDecode(const QByteArray &file, bool listMode);
