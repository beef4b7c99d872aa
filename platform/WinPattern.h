#pragma once

#include <QString>

// The Windows file-search match of a name against a pattern: "*" is any run
// of characters, "?" one character, letters match in either case, a pattern
// ending in ".*" also matches names without an extension ("*.*" matches
// every name), and a pattern whose extension has three characters also
// matches names whose extension is longer and starts with those three
// (Windows finds them through their short names: "*.fla" lists "take.flac";
// the inventory of FLAC files relies on it).
namespace WinPattern {

bool matches(const QString &pattern, const QString &name);

// One pattern made ready for many names: "*", "*.*" and "*.ext" (by far the
// commonest) are tested without the general matcher; the result is always
// that of matches().
class Mask
{
public:
    explicit Mask(const QString &pattern);
    bool matches(const QString &name) const;

private:
    enum class Kind { Any, Extension, General };
    QString m_pattern;
    QString m_ext;
    Kind m_kind = Kind::General;
};

} // namespace WinPattern
