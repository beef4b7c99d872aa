#pragma once

#include <QStringList>

#include <functional>

class Progress;
class QListWidget;

// A long list filled, read or emptied a piece at a time, the window's events
// running between pieces through `progress` (none: no events run). A list of
// a hundred thousand lines takes a while either way, and Qt adds pieces
// faster than one whole list at once. Whoever lets events run keeps every
// other command off the list meanwhile.
namespace ListPieces {

inline constexpr int kPiece = 4096;

// Replaces the lines of `list` by `lines`; `stop`, when given, is asked
// after each piece and ends the filling there when true.
void fill(QListWidget *list, const QStringList &lines, Progress *progress, int piece = kPiece,
          const std::function<bool()> &stop = {});
// The lines of `list`.
QStringList read(const QListWidget *list, Progress *progress);
// Removes every line of `list`, from the end.
void empty(QListWidget *list, Progress *progress);
// Removes the rows `gone` names, from the end, each run of neighbours in one
// removal of at most a piece (taken one by one, tens of thousands of lines
// hold the window for a while).
void removeRows(QListWidget *list, const std::function<bool(int row)> &gone, Progress *progress);

} // namespace ListPieces
