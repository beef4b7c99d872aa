#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <vector>

// A large generated library for the benchmarks: project folders with their
// audio tree, projects that use part of it, same-name copies (some with the
// same bytes, some with other bytes of the same size, some of another size)
// and used files that are missing. The counts are totals over the library;
// each project folder gets an equal share. Take names repeat from folder to
// folder ("Toma 7.wav" is in every one), as they do in real libraries.
struct LibrarySpec
{
    int projects = 1;      // project folders
    int vipsPerFolder = 1; // project files in each folder (see makeLibrary)
    int perGroup = 0;      // > 0: project folders sit this many to a "Grupo <n>" folder
    int files = 60000;     // audio and peak files over all folders
    int used = 20000;      // used paths over all projects
    int copies = 3000;     // same-name copies in a "Copias" folder, half of them identical
    int missing = 500;     // used paths whose file is not on disk
    bool flat = false;     // every take of a project folder in one "Audio" folder
};

struct Library
{
    QString root;          // host folder holding every project folder
    QStringList folders;   // host paths of the project folders
    QStringList projects;  // host paths of the project files
    qint64 fileCount = 0;  // files written, project files left out
    // What an analysis of the whole library must find.
    int usedPaths = 0;     // distinct used paths, missing ones included
    int missingPaths = 0;  // distinct used paths not on disk
    int unusedAudio = 0;   // audio files no project uses (copies with other bytes included)
    // The files any correct analysis must read: each same-name copy and its
    // original (host paths).
    QStringList compared;
};

// Writes the library under `root` (a host folder). The projects name their
// files through the drive map as it stands (set it before calling).
// With several project files in a folder the folder's used takes are dealt
// out among them in turn, the first three named by every one of them (so the
// used list has duplicates to remove); the missing paths go to the first.
Library makeLibrary(const QString &root, const LibrarySpec &spec);

// The one clock of the benchmarks: the wall time since it was made or last
// started, in seconds. Roads and outside tools are timed alike with it.
class Stopwatch
{
public:
    Stopwatch() { start(); }
    void start() { m_timer.start(); }
    double seconds() const { return double(m_timer.nsecsElapsed()) / 1e9; }

private:
    QElapsedTimer m_timer;
};

// Wall time of an external command, stdout read and thrown away (not sent
// to /dev/null: grep notices it and stops at the first match).
double timeCommand(const QString &program, const QStringList &args);

// The middle of the values (the mean of the two middle ones); 0 for none.
double median(std::vector<double> v);

// How a goal line ends: "met" or "FAILED".
inline const char *verdict(bool ok)
{
    return ok ? "met" : "FAILED";
}
