#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Progress;

// The rules of the used-files list, apart from the window.
namespace UsedList {

// The header line of a project-list item: the item up to and including its
// first ">", one blank, then the project's path.
QString headerLine(const QString &item);

// True for a line the lists treat as a project header: it holds ">". A
// project may still name a path with that byte in it; where that must not
// matter, ask startsProject.
bool isHeader(const QString &line);

// True for a line that headerLine wrote: the running number, " --> ", the
// project's path ("12 --> D:\P\a.vip"). No file line has that shape (a
// decoded path has ":" as its second character), whatever it holds.
bool startsProject(const QString &line);

// True for a line that is never removed as a duplicate: a header (">") or a
// separator of dashes.
bool isKept(const QString &line);

// Removes every line equal to an earlier one, except headers and dash lines:
// the same result as comparing every pair, in linear time. `removed` is
// called with each removed line, in the order the pairwise loop removes
// them. Returns the number removed.
// `progress`, when given, is pumped as it goes.
int removeDuplicates(QStringList &lines, const std::function<void(const QString &)> &removed = {},
                     Progress *progress = nullptr);

// Every header as " ", header, " "; other lines as they are.
QStringList spaced(const QStringList &lines);

// "12  archivos en: 3 proyectos, 2 duplicados borrados de la lista; Total: 10"
QString summary(int appended, int projects, int duplicates);

} // namespace UsedList
