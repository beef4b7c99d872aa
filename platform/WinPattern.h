#pragma once

#include <QString>

// The Windows file-search match of a name against a pattern: "*" is any run
// of characters, "?" one character, letters match in either case, and a
// pattern whose extension has three characters also matches names whose
// extension is longer and starts with those three (Windows finds them
// through their short names: "*.fla" lists "take.flac"; the inventory of
// FLAC files relies on it).
namespace WinPattern {

bool matches(const QString &pattern, const QString &name);

} // namespace WinPattern
