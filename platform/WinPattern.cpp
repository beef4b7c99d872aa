#include "platform/WinPattern.h"

namespace WinPattern {
namespace {

bool wild(const QChar *p, qsizetype pn, const QChar *s, qsizetype sn)
{
    // Iterative glob with one back-track point: linear for the patterns used.
    qsizetype pi = 0, si = 0, star = -1, mark = 0;
    while (si < sn) {
        if (pi < pn && (p[pi] == u'?' || p[pi].toCaseFolded() == s[si].toCaseFolded())) {
            ++pi;
            ++si;
        } else if (pi < pn && p[pi] == u'*') {
            star = pi++;
            mark = si;
        } else if (star >= 0) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == u'*')
        ++pi;
    return pi == pn;
}

bool plain(QStringView pattern, QStringView name)
{
    return wild(pattern.data(), pattern.size(), name.data(), name.size());
}

} // namespace

bool matches(const QString &pattern, const QString &name)
{
    if (plain(pattern, name))
        return true;
    // "name.*" stands for "name" with any extension or none.
    if (pattern.endsWith(QStringLiteral(".*")) && plain(QStringView(pattern).chopped(2), name))
        return true;
    const qsizetype pdot = pattern.lastIndexOf(u'.');
    if (pdot < 0 || pattern.size() - pdot - 1 != 3)
        return false;
    const QStringView pext = QStringView(pattern).mid(pdot + 1);
    if (pext.contains(u'*') || pext.contains(u'?'))
        return false;
    const qsizetype ndot = name.lastIndexOf(u'.');
    if (ndot < 0 || name.size() - ndot - 1 <= 3)
        return false;
    return plain(pattern, QStringView(name).left(ndot + 4));
}

Mask::Mask(const QString &pattern) : m_pattern(pattern)
{
    if (pattern == QStringLiteral("*") || pattern == QStringLiteral("*.*")) {
        m_kind = Kind::Any;
    } else if (pattern.startsWith(QStringLiteral("*.")) && pattern.size() > 2) {
        const QString ext = pattern.mid(2);
        if (!ext.contains(u'*') && !ext.contains(u'?') && !ext.contains(u'.')) {
            m_ext = ext;
            m_kind = Kind::Extension;
        }
    }
}

bool Mask::matches(const QString &name) const
{
    switch (m_kind) {
    case Kind::Any:
        return true;
    case Kind::General:
        return WinPattern::matches(m_pattern, name);
    case Kind::Extension:
        break;
    }
    // The name ends in ".ext", or the extension has three characters and the
    // name's last extension is longer and starts with them.
    const qsizetype n = name.size(), e = m_ext.size();
    if (n > e && name[n - e - 1] == u'.' && QStringView(name).right(e).compare(m_ext, Qt::CaseInsensitive) == 0)
        return true;
    if (e != 3)
        return false;
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && n - dot - 1 > 3 && QStringView(name).mid(dot + 1, 3).compare(m_ext, Qt::CaseInsensitive) == 0;
}

MaskSet::MaskSet(const QStringList &patterns)
{
    for (qsizetype i = 0; i < patterns.size() && i < 32; ++i) {
        m_masks.emplace_back(patterns[i]);
        const quint32 bit = quint32(1) << i;
        switch (m_masks.back().m_kind) {
        case Mask::Kind::Any:
            m_any |= bit;
            break;
        case Mask::Kind::Extension:
            m_extension |= bit;
            break;
        case Mask::Kind::General:
            m_general |= bit;
            break;
        }
    }
}

quint32 MaskSet::matches(const QString &name)
{
    quint32 out = m_any;
    for (quint32 bits = m_general; bits != 0; bits &= bits - 1) {
        const int i = __builtin_ctz(bits);
        if (m_masks[size_t(i)].matches(name))
            out |= quint32(1) << i;
    }
    if (m_extension == 0)
        return out;
    // A name without a dot matches no "*.ext" pattern.
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return out;
    const qsizetype len = name.size() - dot - 1;
    quint64 key = quint64(len) << 56;
    bool packed = len <= 7;
    for (qsizetype k = 0; packed && k < len; ++k) {
        const char16_t c = name[dot + 1 + k].unicode();
        if (c >= 0x80) {
            packed = false;
            break;
        }
        // Case-blind over ASCII is lower case.
        key |= quint64(c >= u'A' && c <= u'Z' ? c + 32 : c) << (8 * k);
    }
    if (packed) {
        const auto it = m_byExtension.constFind(key);
        if (it != m_byExtension.constEnd())
            return out | *it;
    }
    quint32 ext = 0;
    for (quint32 bits = m_extension; bits != 0; bits &= bits - 1) {
        const int i = __builtin_ctz(bits);
        if (m_masks[size_t(i)].matches(name))
            ext |= quint32(1) << i;
    }
    if (packed)
        m_byExtension.insert(key, ext);
    return out | ext;
}

} // namespace WinPattern
