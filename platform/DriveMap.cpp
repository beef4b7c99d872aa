#include "platform/DriveMap.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

QString cleanRoot(const QString &p)
{
    QString c = QDir::cleanPath(p);
    if (c.size() > 1 && c.endsWith(u'/'))
        c.chop(1);
    return c;
}

bool isDriveLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

} // namespace

DriveMap &DriveMap::instance()
{
    static DriveMap map;
    return map;
}

DriveMap::DriveMap()
{
    reload();
}

void DriveMap::reload()
{
    m_roots.clear();
    m_roots.insert(u'Z', QStringLiteral("/"));

    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty())
        prefix = QDir::homePath() + QStringLiteral("/.wine");
    const QDir dos(prefix + QStringLiteral("/dosdevices"));
    if (dos.exists()) {
        const QStringList entries = dos.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &e : entries) {
            if (e.size() != 2 || e[1] != u':' || !isDriveLetter(e[0]))
                continue;
            const QFileInfo fi(dos.filePath(e));
            const QString target = fi.isSymLink() ? fi.symLinkTarget() : fi.absoluteFilePath();
            if (!target.isEmpty())
                m_roots.insert(e[0].toUpper(), cleanRoot(QDir(dos.path()).absoluteFilePath(target)));
        }
    }

    const QStringList pairs = qEnvironmentVariable("VELMAR_DRIVES").split(u';', Qt::SkipEmptyParts);
    for (const QString &pair : pairs) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq != 1 || !isDriveLetter(pair[0]))
            continue;
        const QString target = pair.mid(2).trimmed();
        if (target.isEmpty())
            m_roots.remove(pair[0].toUpper());
        else
            m_roots.insert(pair[0].toUpper(), cleanRoot(target));
    }
}

QString DriveMap::root(QChar letter) const
{
    return m_roots.value(letter.toUpper());
}

QString DriveMap::collapse(const QString &w)
{
    if (w.size() < 2 || w[1] != u':' || !isDriveLetter(w[0]) || w.contains(QChar(0)))
        return {};
    if (w.size() > 2 && w[2] != u'\\' && w[2] != u'/')
        return {};
    QString rest = w.mid(2);
    rest.replace(u'/', u'\\');
    const bool trailing = rest.size() > 1 && rest.endsWith(u'\\');
    QStringList kept;
    for (const QString &part : rest.split(u'\\', Qt::SkipEmptyParts)) {
        if (part == QStringLiteral("."))
            continue;
        if (part == QStringLiteral("..")) {
            // Above the root is the root, as on Windows.
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept << part;
    }
    QString out = w.left(2) + u'\\' + kept.join(u'\\');
    if (trailing && !kept.isEmpty())
        out += u'\\';
    return out;
}

namespace {

// True for "X:\a\b" with nothing collapse() would change: no "/", no NUL,
// no empty, "." or ".." name (a trailing "\" allowed).
bool alreadyCollapsed(const QString &w)
{
    if (w.size() < 3 || w[1] != u':' || w[2] != u'\\' || !isDriveLetter(w[0]))
        return false;
    const QChar *c = w.constData();
    const qsizetype n = w.size();
    auto dots = [c](qsizetype at, qsizetype len) {
        return (len == 1 && c[at] == u'.') || (len == 2 && c[at] == u'.' && c[at + 1] == u'.');
    };
    qsizetype start = 3;
    for (qsizetype i = 3; i < n; ++i) {
        if (c[i] == u'\\') {
            if (i == start || dots(start, i - start))
                return false;
            start = i + 1;
        } else if (c[i] == u'/' || c[i].unicode() == 0) {
            return false;
        }
    }
    // The last name may be empty: the path ends in "\" (or is the root).
    return !dots(start, n - start);
}

} // namespace

QString DriveMap::toHost(const QString &windowsPath) const
{
    // The commonest case, a path as a project or a listing writes it, with
    // one allocation.
    if (alreadyCollapsed(windowsPath)) {
        const auto it = m_roots.constFind(windowsPath[0].toUpper());
        if (it == m_roots.constEnd())
            return {};
        const QString &r = it.value();
        const qsizetype restSize = windowsPath.size() - 3;
        if (restSize == 0)
            return r;
        QString out;
        const bool slashRoot = r == QStringLiteral("/");
        out.reserve((slashRoot ? 1 : r.size() + 1) + restSize);
        if (!slashRoot)
            out += r;
        out += u'/';
        const qsizetype at = out.size();
        out += QStringView(windowsPath).mid(3);
        QChar *d = out.data() + at;
        for (qsizetype i = 0; i < restSize; ++i)
            if (d[i] == u'\\')
                d[i] = u'/';
        return out;
    }
    const QString w = collapse(windowsPath);
    if (w.isEmpty())
        return {};
    const QString r = root(w[0]);
    if (r.isEmpty())
        return {};
    QString rest = w.mid(3);
    rest.replace(u'\\', u'/');
    if (rest.isEmpty())
        return r;
    return r == QStringLiteral("/") ? u'/' + rest : r + u'/' + rest;
}

QString DriveMap::toWindows(const QString &hostPath) const
{
    const QString p = cleanRoot(QFileInfo(hostPath).isAbsolute() ? hostPath : QFileInfo(hostPath).absoluteFilePath());
    QChar best;
    qsizetype bestLen = -1;
    for (auto it = m_roots.cbegin(); it != m_roots.cend(); ++it) {
        const QString &r = it.value();
        const bool inside = r == QStringLiteral("/") ? true : (p == r || p.startsWith(r + u'/'));
        if (!inside)
            continue;
        const qsizetype len = r == QStringLiteral("/") ? 0 : r.size();
        // Prefer the closest root; between equal roots the earlier letter,
        // and any real drive over Z:.
        if (len > bestLen || (len == bestLen && best == u'Z')) {
            best = it.key();
            bestLen = len;
        }
    }
    if (bestLen < 0)
        return {};
    QString rest = bestLen == 0 ? p.mid(1) : p.mid(bestLen + 1);
    rest.replace(u'/', u'\\');
    return QString(best) + QStringLiteral(":\\") + rest;
}
