#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The playlist's line format and the rules every handler of the player
// window reads it by. A playlist line is one of three kinds: the help text
// (whose first line is ""), a separator heading a block, or a file path.
namespace Playlist {

// The eight lines of the help text, the first of them "".
QStringList helpText();

// A separator holds "---------------------- <" (22 dashes, a blank, "<")
// anywhere in it; exact and case-sensitive.
bool isSeparator(const QString &line);

// The separator of a drop: from the file manager, or (a drop point of
// exactly 0, 0) from the media player control.
QString dropSeparator(bool fromPlayer);

// The separator of a block copied from a list named `tipo`.
QString copySeparator(const QString &tipo);

// A dropped path as the playlist takes it, or "" when it is left out. The
// extension's text (after the last "."; the whole path when there is none)
// is lowered everywhere it occurs in the path, case-sensitively; the path is
// kept when it then holds ".wav", ".mp3" or ".mid". Peak files ("reapeaks")
// are left out.
QString droppedFile(const QString &path);

// A copied line is kept when its extension, lower-cased, is "wav" or "mp3";
// it is copied unchanged.
bool isCopiedAudio(const QString &line);

// The lines that are not separators.
int fileCount(const QStringList &lines);

// The Supr key on line `index`: a file line (or a help line) goes alone; a
// separator goes with every line after it up to the next separator or the
// end. An index outside the list changes nothing.
QStringList removeAt(const QStringList &lines, int index);

// The hint shown for a clicked separator: the separator with every "-"
// removed, after " Tecla <Supr> para borrar los items de ".
QString separatorHint(const QString &separator);

// " <n> archivos ".
QString countText(int n);

// The now-playing line: " " path " - Duración: " duration " - " size in
// megabytes with one decimal " Mb. ".
QString nowPlayingLine(const QString &audio, const QString &duration, qint64 bytes);

} // namespace Playlist
