#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

class Progress;

// The recursive listing of the files under a folder that match a search
// pattern, as the Windows file search gives them: "*" and "?", letters in
// either case, and a three-character extension that also matches longer
// extensions starting with it ("*.fla" lists "take.flac").
//
// The walk is pre-order, depth first: a folder's own matches first, in the
// folder's listing order (sorted case-blind, the same on every run), then the
// whole listing of its first sub-folder, then of the next. Symbolic links to
// folders are listed like any entry but never walked into, so a link loop
// cannot hang a walk that has no cancel.
namespace ModuleArchivos {

// Cuts the text before its first NUL, in place; returns the (cut) text.
QString QuitarNulos(QString &text);

// Appends to `list` the full Windows path of every entry under `folder`
// (a Windows path, with or without its trailing "\") whose name matches
// `pattern`. A folder whose name matches is appended like a file (and still
// walked). A folder that does not exist or cannot be read appends nothing.
void BuscarArchivos(const QString &folder, const QString &pattern, QStringList &list);

// What one walk (or several, appended) found, each line with what the walk
// knew of it.
struct Inventory
{
    struct Entry
    {
        QString line; // the Windows path
        // Its folder's host path ("D:\P\Audio\" -> "/mnt/d/P/Audio"), byte
        // for byte as the file system gave it: the line's file is this, "/"
        // and its own name.
        QByteArray hostFolder;
        bool isFolder = false; // a folder or a link to one
        bool isLink = false;   // a symbolic link
    };
    std::vector<Entry> entries;
    // The entries that match a pattern but whose name, or the name of a
    // folder above them, cannot be a Windows name (see WinFs::isWindowsName):
    // they are not listed, since no line could name them; here as shown
    // (a lossy rendering).
    QStringList passedOver;
    // The projects (files matching "*.vip", hidden ones aside) met on the
    // walk, whatever the patterns, as Windows paths.
    QStringList projects;
};

// The same as calling BuscarArchivos once per pattern, in order, but from a
// single walk of the tree, appending to `into`. With `progress`, window
// events run as the walk goes (it is pumped, never asked for a cancel): the
// caller keeps a second command out meanwhile and leaves `into` alone.
void BuscarArchivos(const QString &folder, const QStringList &patterns, Inventory &into, Progress *progress);

} // namespace ModuleArchivos
