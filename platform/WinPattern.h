#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

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
    friend class MaskSet;
    enum class Kind { Any, Extension, General };
    QString m_pattern;
    QString m_ext;
    Kind m_kind = Kind::General;
};

// Up to 32 patterns made ready for many names at once: which of them a name
// matches, bit i for pattern i, always what Mask(pattern i).matches(name)
// gives. Whether an "*.ext" pattern matches depends only on the name's last
// extension, so the answer for an extension is worked out once.
class MaskSet
{
public:
    explicit MaskSet(const QStringList &patterns);
    quint32 matches(const QString &name);

private:
    std::vector<Mask> m_masks;
    quint32 m_any = 0;
    quint32 m_extension = 0;
    quint32 m_general = 0;
    // The "*.ext" patterns' answer by last extension: up to seven ASCII
    // characters, in lower case, and its length.
    QHash<quint64, quint32> m_byExtension;
};

} // namespace WinPattern
