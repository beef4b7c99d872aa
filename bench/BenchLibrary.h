#pragma once

#include <QString>
#include <QStringList>

// A large generated library for the benchmarks: project folders with their
// audio tree, projects that use part of it, same-name copies (some with the
// same bytes, some with other bytes of the same size, some of another size)
// and used files that are missing.
struct LibrarySpec
{
    int projects = 1;      // project folders, one project each
    int files = 60000;     // audio and peak files over all folders
    int used = 20000;      // used paths over all projects
    int copies = 3000;     // same-name copies in a "Copias" folder
    int missing = 500;     // used paths whose file is not on disk
};

struct Library
{
    QString root;          // host folder holding every project folder
    QStringList projects;  // host paths of the project files
    qint64 fileCount = 0;  // files written
};

// Writes the library under `root` (a host folder). The projects name their
// files through the drive map's host letter (Z: is "/").
Library makeLibrary(const QString &root, const LibrarySpec &spec);

// Wall time of an external command, stdout read and thrown away.
double timeCommand(const QString &program, const QStringList &args);
