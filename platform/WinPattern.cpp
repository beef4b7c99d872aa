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

bool plain(const QString &pattern, const QString &name)
{
    return wild(pattern.constData(), pattern.size(), name.constData(), name.size());
}

} // namespace

bool matches(const QString &pattern, const QString &name)
{
    if (plain(pattern, name))
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
    return plain(pattern, name.left(ndot + 4));
}

} // namespace WinPattern
