#pragma once

#include <QMap>
#include <QString>

// The program keeps Windows paths ("D:\Audio\take.wav") as text everywhere,
// as the projects store them. The drive map turns them into host paths and
// back. Letters come from the Wine prefix ($WINEPREFIX, default ~/.wine: the
// "dosdevices/x:" links), then VELMAR_DRIVES="D=/mnt/audio;E=/media/e"
// overrides; Z: is "/" unless set otherwise.
class DriveMap
{
public:
    static DriveMap &instance();

    // No Windows path is longer than this (in characters): a longer text
    // names no file.
    static constexpr qsizetype kMaxPath = 32767;

    // Reads the environment again (tests change it).
    void reload();

    // "X:\a\b" -> "<root of X>/a/b". "" for a text that is not a drive path,
    // names a letter that is not mapped, or holds a NUL. "." and ".." are
    // collapsed as Windows does, never above the drive's root, so no path
    // leads out of its drive.
    QString toHost(const QString &windowsPath) const;

    // A drive path with "." and ".." collapsed within its drive and "/" read
    // as "\" ("D:\X\..\..\a.wav" -> "D:\a.wav"); the letter and every
    // name kept as written; a trailing "\" kept. "" for a text that is not a
    // drive path ("X:" then "\" or "/") or that holds a NUL.
    static QString collapse(const QString &windowsPath);

    // An absolute host path -> "X:\a\b", with the letter whose root holds the
    // path most closely; Z: (or "/") when no other letter does. A folder keeps
    // no trailing "\" except a drive root ("D:\").
    QString toWindows(const QString &hostPath) const;

    // The host root of a letter ("" when unmapped).
    QString root(QChar letter) const;
    QMap<QChar, QString> drives() const { return m_roots; }

private:
    DriveMap();
    QMap<QChar, QString> m_roots; // upper-case letter -> absolute host folder
};
