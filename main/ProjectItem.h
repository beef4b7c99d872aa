#pragma once

#include <QString>

// A line of the project list: its running number, " --> " and the project's
// Windows path ("12 --> D:\P\a.vip"). Built here and read back here only.
namespace ProjectItem {

// The line of the `number`-th listed project (counted from 1).
QString make(qsizetype number, const QString &path);

// The path of a line: the text after its first ">" with leading blanks
// removed, or the text itself when it holds no ">" (a plain path).
QString path(const QString &item);

} // namespace ProjectItem
