#include "main/Unused.h"

#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/SysCalls.h"
#include "services/BuscarPaths.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Unused {
namespace {

// The key of a path's file name (WinFs::nameKey).
QString nameKey(const QString &path)
{
    return WinFs::nameKey(Buscar::Obtener_Nombre_Archivo(path));
}

// A hash of the name's key: names with one key give one hash. Below U+0300
// the key is the folding of each character, taken as it goes (and folding
// a folded character changes it no more).
quint64 nameHash(QStringView name)
{
    QString key;
    for (const QChar c : name) {
        if (c.unicode() >= 0x300) {
            key = WinFs::nameKey(name);
            name = key;
            break;
        }
    }
    quint64 h = 1469598103934665603ULL;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char16_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && QChar::isLowSurrogate(name[i + 1].unicode())) {
            const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(c, name[i + 1].unicode()));
            h = (h ^ f) * 1099511628211ULL;
            ++i;
            continue;
        }
        c = char16_t(QChar::toCaseFolded(char32_t(c)));
        h = (h ^ c) * 1099511628211ULL;
    }
    return h;
}

const QString kFreeze = QStringLiteral("FreezeData");

struct Fd
{
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// The content test of compareFiles once neither the same file nor two
// lengths tell: both files opened (at their host paths), then the same
// length and the same bytes, in large blocks.
Comparison compareOpened(const QString &file1, const QString &host1, const QString &file2, const QString &host2)
{
    // Only regular files are read: a folder cannot be, and a pipe put in
    // place of a file would hold the analysis (opened without waiting for
    // a writer).
    struct stat sa, sb;
    Fd a{::open(QFile::encodeName(host1).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (a.fd < 0 || ::fstat(a.fd, &sa) != 0 || !S_ISREG(sa.st_mode))
        return {Sameness::Unreadable, file1};
    Fd b{::open(QFile::encodeName(host2).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (b.fd < 0 || ::fstat(b.fd, &sb) != 0 || !S_ISREG(sb.st_mode))
        return {Sameness::Unreadable, file2};
    if (sa.st_size != sb.st_size)
        return {};
    const qint64 size = qint64(sa.st_size);
    const qint64 block = std::clamp<qint64>(size, 1, qint64(1) << 20);
    std::unique_ptr<char[]> ba(new char[size_t(block)]);
    std::unique_ptr<char[]> bb(new char[size_t(block)]);
    for (qint64 left = size; left > 0;) {
        const qint64 want = std::min(left, block);
        if (SysCalls::readUpTo(a.fd, ba.get(), want) != want)
            return {Sameness::Unreadable, file1};
        if (SysCalls::readUpTo(b.fd, bb.get(), want) != want)
            return {Sameness::Unreadable, file2};
        if (std::memcmp(ba.get(), bb.get(), size_t(want)) != 0)
            return {};
        left -= want;
    }
    return {Sameness::Identical, {}};
}

bool exists(const WinFs::FileStat &st)
{
    return st.isFile || st.isDir;
}

} // namespace

const QStringList &patterns()
{
    static const QStringList p = {
        QStringLiteral("*.wav"), QStringLiteral("*.h2"),  QStringLiteral("*.hdp"), QStringLiteral("*.mp3"),
        QStringLiteral("*.hm2"), QStringLiteral("*.hmp"), QStringLiteral("*.aif"), QStringLiteral("*.ha2"),
        QStringLiteral("*.hap"), QStringLiteral("*.ogg"), QStringLiteral("*.hg2"), QStringLiteral("*.hgp"),
        QStringLiteral("*.fla"), QStringLiteral("*.hf2"), QStringLiteral("*.hfp"), QStringLiteral("*.cue"),
        QStringLiteral("*.hz"),  QStringLiteral("*.wma"), QStringLiteral("*.m4a"), QStringLiteral("*.hs"),
    };
    return p;
}

QString projectFolder(const QString &item)
{
    const qsizetype colon = item.indexOf(u':');
    const QString path = colon > 0 ? item.mid(colon - 1) : item;
    if (!WinFs::findNormalFile(path))
        return path;
    const QString name = Buscar::Obtener_Nombre_Archivo(path);
    return path.left(path.size() - name.size());
}

QStringList projectFolders(const QStringList &items)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &item : items) {
        const QString folder = projectFolder(item);
        if (!seen.contains(folder)) {
            seen.insert(folder);
            out << folder;
        }
    }
    return out;
}

bool isAudioEnding(const QString &path)
{
    static const QString endings[] = {QStringLiteral(".wav"), QStringLiteral(".aif"), QStringLiteral(".mp3"),
                                      QStringLiteral(".ogg"), QStringLiteral("flac"), QStringLiteral(".wma"),
                                      QStringLiteral(".m4a")};
    const QStringView tail = QStringView(path).right(4);
    for (const QString &e : endings) {
        if (tail.compare(e, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Comparison compareFiles(const QString &file1, const QString &file2)
{
    if (file1.isEmpty() || file2.isEmpty())
        return {};
    // One look at each: the same file under two names is identical; two
    // lengths that differ say all.
    QString host1, host2;
    const WinFs::FileStat s1 = WinFs::statPath(file1, &host1);
    const WinFs::FileStat s2 = WinFs::statPath(file2, &host2);
    if (exists(s1) && exists(s2) && s1.id == s2.id)
        return {Sameness::Identical, {}};
    if (s1.isFile && s2.isFile && s1.size != s2.size)
        return {};
    return compareOpened(file1, s1.exists ? host1 : WinFs::hostPath(file1), file2,
                         s2.exists ? host2 : WinFs::hostPath(file2));
}

bool takesPart(const QString &usedLine)
{
    return !usedLine.trimmed().isEmpty() && !usedLine.contains(u'>') && !usedLine.contains(kFreeze);
}

bool extendsPath(QStringView l, QStringView u)
{
    // Before one of the dots of its name (an accent in the other Unicode
    // form has another length: each dot is tried).
    const qsizetype name = l.lastIndexOf(u'\\') + 1;
    for (qsizetype dot = l.indexOf(u'.', name + 1); dot > 0 && dot + 1 < l.size(); dot = l.indexOf(u'.', dot + 1)) {
        if (WinFs::sameName(l.left(dot), u))
            return true;
    }
    return false;
}

bool lineMatches(const QString &l, const QString &u, const Matcher::Compare &compare)
{
    if (!takesPart(u))
        return false;
    if (l == u || extendsPath(l, u))
        return true;
    const std::vector<WinFs::Answer> files = WinFs::answers(u);
    const WinFs::FileStat sl = WinFs::statPath(l);
    for (const WinFs::Answer &f : files)
        if (exists(sl) && sl.id == f.stat.id)
            return true;
    if (nameKey(l) != nameKey(u))
        return false;
    if (!sl.isFile || sl.hidden || files.empty() || files.front().stat.hidden)
        return true;
    for (const WinFs::Answer &f : files)
        if (compare(l, f.path).result != Sameness::Different)
            return true;
    return false;
}

Matcher::Matcher(const QStringList &usedLines, Compare compare) : m_compare(std::move(compare))
{
    using Plain = Comparison (*)(const QString &, const QString &);
    const Plain *target = m_compare.target<Plain>();
    m_plainCompare = target && *target == &compareFiles;
    // Kept as given until the index is built (prepare() lets events run
    // while it is).
    m_used = usedLines;
}

void Matcher::index(Progress *progress)
{
    m_indexed = true;
    const QStringList given = std::exchange(m_used, QStringList());
    m_used.reserve(given.size());
    m_givenCount = given.size();
    for (qsizetype i = 0; i < given.size(); ++i) {
        if (takesPart(given[i])) {
            m_used << given[i];
            m_givenIndex.push_back(int(i));
        }
        if (progress && (i & 1023) == 1023)
            progress->pump();
    }
    m_statState.assign(size_t(m_used.size()), StatState::NotLooked);
    m_exact.reserve(m_used.size());
    m_nameHead.reserve(m_used.size());
    m_nameNext.assign(size_t(m_used.size()), -1);
    // Backwards, so that each chain runs in list order.
    for (int i = int(m_used.size()) - 1; i >= 0; --i) {
        m_exact.insert(m_used[i]);
        const quint64 h = nameHash(Buscar::nombreArchivoView(m_used[i]));
        const auto it = m_nameHead.find(h);
        if (it == m_nameHead.end()) {
            m_nameHead.insert(h, i);
        } else {
            m_nameNext[size_t(i)] = *it;
            *it = i;
        }
        if (progress && (i & 1023) == 0)
            progress->pump();
    }
}

int Matcher::firstNamed(QStringView name) const
{
    const auto it = m_nameHead.constFind(nameHash(name));
    if (it == m_nameHead.constEnd())
        return -1;
    int u = *it;
    while (u >= 0 && !WinFs::sameName(Buscar::nombreArchivoView(m_used[u]), name))
        u = m_nameNext[size_t(u)];
    return u;
}

int Matcher::nextNamed(int u, QStringView name) const
{
    u = m_nameNext[size_t(u)];
    while (u >= 0 && !WinFs::sameName(Buscar::nombreArchivoView(m_used[u]), name))
        u = m_nameNext[size_t(u)];
    return u;
}

const WinFs::FileStat &Matcher::usedStat(int index)
{
    static const WinFs::FileStat kMissing;
    StatState &state = m_statState[size_t(index)];
    if (state == StatState::NotLooked) {
        std::vector<WinFs::Answer> found = WinFs::answers(m_used[index]);
        if (!found.empty()) {
            // Kept for the files that are there only: a project naming
            // thousands of missing files costs no record for each.
            if (m_stat.empty())
                m_stat.resize(size_t(m_used.size()));
            m_stat[size_t(index)] = found.front().stat;
            if (found.front().stat.caseBlind)
                m_hosts.insert(index, found.front().host);
            if (found.size() > 1) {
                for (const WinFs::Answer &a : found)
                    m_togetherIds.insert({a.stat.id.device, a.stat.id.inode});
                m_together.insert(index, std::move(found));
            }
            state = StatState::There;
        } else {
            state = StatState::Missing;
        }
    }
    return state == StatState::There ? m_stat[size_t(index)] : kMissing;
}

int Matcher::answerCount(int index)
{
    if (!usedStat(index).exists)
        return 0;
    const auto it = m_together.constFind(index);
    return it == m_together.constEnd() ? 1 : int(it->size());
}

const WinFs::FileStat &Matcher::answerStat(Ref r)
{
    if (r.answer == 0)
        return usedStat(r.used);
    return m_together.find(r.used)->at(size_t(r.answer)).stat;
}

QString Matcher::answerHost(Ref r) const
{
    const auto it = m_together.constFind(r.used);
    if (it != m_together.constEnd())
        return it->at(size_t(r.answer)).host;
    // Where the look found it: the path as written unless another spelling
    // had to be looked for.
    return m_hosts.value(r.used, DriveMap::instance().toHost(m_used[r.used]));
}

QString Matcher::answerPath(Ref r) const
{
    const auto it = m_together.constFind(r.used);
    return it != m_together.constEnd() ? it->at(size_t(r.answer)).path : m_used[r.used];
}

void Matcher::noteKept(const WinFs::FileId &id)
{
    if (m_togetherIds.contains({id.device, id.inode}))
        m_togetherKept.insert({id.device, id.inode});
}

QHash<QString, bool> Matcher::normalFiles(Progress *progress) const
{
    QHash<QString, bool> out;
    if (!m_indexed)
        return out;
    out.reserve(m_used.size());
    for (int i = 0; i < m_used.size(); ++i) {
        if (m_statState[size_t(i)] == StatState::Missing)
            out.insert(m_used[i], false);
        else if (m_statState[size_t(i)] == StatState::There)
            out.insert(m_used[i], m_stat[size_t(i)].isFile && !m_stat[size_t(i)].hidden);
        if (progress && (i & 1023) == 1023)
            progress->pump();
    }
    return out;
}

std::vector<signed char> Matcher::looks(Progress *progress) const
{
    std::vector<signed char> out;
    if (!m_indexed)
        return out;
    out.assign(size_t(m_givenCount), -1);
    for (int i = 0; i < m_used.size(); ++i) {
        signed char &look = out[size_t(m_givenIndex[size_t(i)])];
        if (m_statState[size_t(i)] == StatState::Missing)
            look = 0;
        else if (m_statState[size_t(i)] == StatState::There)
            look = m_stat[size_t(i)].isFile && !m_stat[size_t(i)].hidden ? 1 : 0;
        if (progress && (i & 1023) == 1023)
            progress->pump();
    }
    return out;
}

void Matcher::prepare(Progress &progress)
{
    if (!m_indexed)
        index(&progress);
    if (!m_idsReady)
        indexIds(&progress);
}

void Matcher::release(Progress &progress)
{
    releaseInPieces(m_used, progress);
    releaseHashInPieces(m_exact, progress);
    releaseHashInPieces(m_nameHead, progress);
    releaseInPieces(m_nameNext, progress);
    releaseInPieces(m_givenIndex, progress);
    releaseInPieces(m_stat, progress);
    releaseInPieces(m_statState, progress);
    releaseHashInPieces(m_hosts, progress);
    releaseHashInPieces(m_together, progress);
    releaseHashInPieces(m_togetherIds, progress);
    releaseHashInPieces(m_digests, progress);
    releaseHashInPieces(m_groups, progress);
    releaseHashInPieces(m_ids, progress);
}

void Matcher::indexIds(Progress *progress)
{
    m_idsReady = true;
    m_ids.reserve(m_used.size());
    for (int i = 0; i < m_used.size(); ++i) {
        if (progress && (i & 63) == 63)
            progress->pump();
        for (int k = 0, n = answerCount(i); k < n; ++k) {
            const WinFs::FileStat &st = answerStat({i, k});
            m_ids.insert({st.id.device, st.id.inode});
            if (st.isLink || st.links > 1)
                m_usedAliases = true;
        }
    }
}

bool Matcher::matches(const QString &l, bool mayBeLink)
{
    if (!m_indexed)
        index(nullptr);
    if (m_exact.contains(l) || extendsUsed(l))
        return true;
    const QStringView name = Buscar::nombreArchivoView(l);
    const int first = firstNamed(name);
    if (first >= 0) {
        QString host;
        const WinFs::FileStat lst = WinFs::statPath(l, &host);
        // Named like a used take but no regular file (a pipe, a dangling
        // link) or hidden: it may stand for the take; never offered.
        if (!lst.isFile || lst.hidden)
            return true;
        if (m_plainCompare) {
            if (!m_idsReady)
                indexIds(nullptr);
            if (m_ids.contains({lst.id.device, lst.id.inode})) {
                noteKept(lst.id);
                return true;
            }
            NameGroup &group = nameGroup(first, name);
            if (group.anyMissing)
                return true;
            return sameContents(l, host, lst, group);
        }
        for (int u = first; u >= 0; u = nextNamed(u, name)) {
            const int n = answerCount(u);
            if (n == 0 || usedStat(u).hidden)
                return true;
            for (int k = 0; k < n; ++k) {
                if (answerStat({u, k}).id == lst.id) {
                    noteKept(lst.id);
                    return true;
                }
            }
            for (int k = 0; k < n; ++k)
                if (compareWith(l, host, lst, {u, k}))
                    return true;
        }
    }
    // The same file under another name. Two names of one file need a link:
    // the inventory line is one, or the used file is one or has hard links.
    if (!m_idsReady)
        indexIds(nullptr);
    if (m_ids.isEmpty() || (!mayBeLink && !m_usedAliases))
        return false;
    const WinFs::FileStat lst = WinFs::statPath(l);
    if (!exists(lst))
        return false;
    return m_ids.contains({lst.id.device, lst.id.inode});
}

bool Matcher::extendsUsed(const QString &l) const
{
    // The used paths that `l` extends are named like the part of its name
    // before one of its dots, in its folder.
    const QStringView name = Buscar::nombreArchivoView(l);
    for (qsizetype dot = name.indexOf(u'.', 1); dot > 0 && dot + 1 < name.size(); dot = name.indexOf(u'.', dot + 1)) {
        const QStringView before = name.left(dot);
        for (int u = firstNamed(before); u >= 0; u = nextNamed(u, before)) {
            if (extendsPath(l, m_used[u]))
                return true;
        }
    }
    return false;
}

bool Matcher::compareWith(const QString &l, const QString &host, const WinFs::FileStat &lst, Ref r)
{
    Comparison c;
    if (m_plainCompare) {
        // What compareFiles(l, used) finds, from the looks already taken.
        const WinFs::FileStat &ust = answerStat(r);
        if (exists(lst) && lst.id == ust.id)
            c = {Sameness::Identical, {}};
        else if (lst.isFile && lst.size != ust.size)
            c = {};
        else
            c = compareOpened(l, host, answerPath(r), answerHost(r));
    } else {
        c = m_compare(l, answerPath(r));
    }
    if (c.result == Sameness::Identical)
        return true;
    if (c.result == Sameness::Unreadable) {
        if (onUnreadable)
            onUnreadable(c.unreadable);
        return true;
    }
    return false;
}

Matcher::NameGroup &Matcher::nameGroup(int first, QStringView name)
{
    auto it = m_groups.find(first);
    if (it != m_groups.end())
        return *it;
    NameGroup group;
    for (int u = first; u >= 0; u = nextNamed(u, name)) {
        const int n = answerCount(u);
        if (n == 0 || usedStat(u).hidden) {
            group.anyMissing = true;
            break;
        }
        for (int k = 0; k < n; ++k)
            group.bySize[answerStat({u, k}).size].all.push_back({u, k});
    }
    return *m_groups.insert(first, std::move(group));
}

bool Matcher::sameContents(const QString &l, const QString &host, const WinFs::FileStat &lst, NameGroup &group)
{
    // Take names repeat from folder to folder: most same-name files differ
    // in length, and most of the rest in their first bytes, each read once
    // per file rather than once per pair.
    const auto bit = group.bySize.find(lst.size);
    if (bit == group.bySize.end())
        return false;
    SizeBucket &bucket = *bit;
    if (bucket.all.size() == 1)
        return compareWith(l, host, lst, bucket.all.front());
    if (!bucket.digested) {
        bucket.digested = true;
        for (const Ref r : bucket.all) {
            if (const std::optional<quint64> d = headDigest(answerPath(r), answerHost(r)))
                bucket.byDigest[*d].push_back(r);
            else
                bucket.unreadable.push_back(r);
        }
    }
    const std::optional<quint64> dl = headDigest(l, host);
    if (!dl) {
        // Its first bytes cannot be read: the full comparison says so.
        for (const Ref r : bucket.all)
            if (compareWith(l, host, lst, r))
                return true;
        return false;
    }
    const auto dit = bucket.byDigest.constFind(*dl);
    if (dit != bucket.byDigest.constEnd())
        for (const Ref r : *dit)
            if (compareWith(l, host, lst, r))
                return true;
    for (const Ref r : bucket.unreadable)
        if (compareWith(l, host, lst, r))
            return true;
    return false;
}

std::optional<quint64> Matcher::headDigest(const QString &file, const QString &host)
{
    const auto it = m_digests.constFind(file);
    if (it != m_digests.constEnd())
        return *it;
    Fd f{::open(QFile::encodeName(host).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (f.fd < 0)
        return std::nullopt; // the full comparison reports it
    struct stat st;
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    constexpr qint64 kHead = 64 * 1024;
    const qint64 want = std::min<qint64>(kHead, qint64(st.st_size));
    std::unique_ptr<char[]> head(new char[size_t(std::max<qint64>(want, 1))]);
    if (SysCalls::readUpTo(f.fd, head.get(), want) != want)
        return std::nullopt;
    const quint64 digest = qHashBits(head.get(), size_t(want), 0x5eed);
    m_digests.insert(file, digest);
    return digest;
}

bool removeUsed(std::vector<InventoryEntry> &inventory, Matcher &matcher, Progress &progress)
{
    // A missing used file may make its folder be read for another letter
    // case of its name, and a folder may be large.
    const WinFs::AnalysisLooks lookups(progress);
    matcher.prepare(progress);
    const size_t size = inventory.size();
    progress.setRange(0, qsizetype(size));
    std::vector<InventoryEntry> kept;
    kept.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        InventoryEntry &e = inventory[i];
        if (!matcher.matches(e.line, e.isLink))
            kept.push_back(std::move(e));
        progress.setValue(qsizetype(i));
        progress.pump();
        if (progress.cancelled()) {
            // The entries not examined yet stay, as an interrupted match leaves them.
            for (size_t j = i + 1; j < size; ++j)
                kept.push_back(std::move(inventory[j]));
            std::swap(inventory, kept);
            releaseInPieces(kept, progress);
            return false;
        }
    }
    std::swap(inventory, kept);
    releaseInPieces(kept, progress);
    return true;
}

std::vector<UnusedEntry> recordFiles(const std::vector<InventoryEntry> &entries, Progress &progress, int *leftOut)
{
    std::vector<UnusedEntry> out;
    out.reserve(entries.size());
    // The entries of one folder come together: its part is made once.
    const QByteArray *hostFolder = nullptr;
    std::optional<FileRecord::InFolder> folder;
    for (size_t i = 0; i < entries.size(); ++i) {
        const InventoryEntry &e = entries[i];
        const qsizetype slash = e.line.lastIndexOf(u'\\');
        if (slash > 1 && (!hostFolder || *hostFolder != e.hostFolder)) {
            hostFolder = &e.hostFolder;
            folder.emplace(e.line[0], e.hostFolder);
        }
        std::optional<FileRecord> record;
        if (slash > 1 && folder)
            record = folder->take(QStringView(e.line).mid(slash + 1).toUtf8());
        if (!record) {
            if (leftOut)
                ++*leftOut;
        } else {
            out.push_back(UnusedEntry{e.line, std::move(*record)});
        }
        if ((i & 255) == 255)
            progress.pump();
    }
    return out;
}

int passedOverAudio(const QStringList &passedOver)
{
    QSet<QString> seen;
    for (const QString &p : passedOver) {
        if (isAudioEnding(p))
            seen.insert(p);
    }
    return int(seen.size());
}

QString passedOverNotice(int count)
{
    return QStringLiteral(" >>> AVISO <<<   Se han pasado por alto %1 archivos de audio cuyo nombre no puede "
                          "escribirse en Windows (no se ofrecen para borrar)")
        .arg(count);
}

QString answeringTogetherNotice(int count)
{
    return QStringLiteral(" >>> AVISO <<<   Hay %1 archivos que responden a un mismo nombre usado sin distinguir "
                          "mayúsculas: no se ofrece ninguno para borrar.")
        .arg(count);
}

QString otherProjectsNotice(int count)
{
    return QStringLiteral(" >>> AVISO <<<   Hay %1 proyectos VIP más en estas carpetas que no se han analizado: sus "
                          "archivos pueden figurar como no utilizados. Para incluirlos, analice la carpeta.")
        .arg(count);
}

UnusedEntries unusedAudio(const std::vector<InventoryEntry> &remaining, Progress &progress)
{
    UnusedEntries out;
    const size_t size = remaining.size();
    progress.setRange(0, qsizetype(size));
    std::vector<InventoryEntry> &lines = out.lines;
    for (size_t i = 0; i < size; ++i) {
        const InventoryEntry &e = remaining[i];
        if (!isAudioEnding(e.line))
            continue;
        if (e.line.contains(kFreeze))
            continue;
        // A folder named like an audio file: deleting it would take every
        // file inside, used ones too.
        if (!e.isFolder) {
            lines.push_back(e);
            ++out.found;
        }
        if (progress.cancelled()) {
            out.cancelled = true;
            return out;
        }
        progress.setValue(qsizetype(i));
        progress.pump();
    }

    // Views of the lines: a set of a million copies takes long to let go.
    QSet<QStringView> seen;
    seen.reserve(qsizetype(lines.size()));
    std::vector<InventoryEntry> unique;
    unique.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const InventoryEntry &e = lines[i];
        if ((i & 1023) == 1023)
            progress.pump();
        if (seen.contains(e.line)) {
            ++out.duplicates;
            out.lastDuplicate = e.line;
            continue;
        }
        seen.insert(e.line);
        unique.push_back(e);
    }
    seen = {};
    std::swap(lines, unique);
    releaseInPieces(unique, progress);
    out.cancelled = progress.cancelled();
    return out;
}

QString captionNone()
{
    return QStringLiteral("No se han encontrado archivos no utilizados");
}

QString captionFound(int found, int duplicates)
{
    return QStringLiteral("Archivos no utilizados: ") + QString::number(found) + QStringLiteral("     Duplicados: ")
        + QString::number(duplicates) + QStringLiteral("    Total: ") + QString::number(found - duplicates);
}

QString captionCancelled()
{
    return QStringLiteral("Análisis cancelado: no se ofrece ningún archivo para borrar");
}

QString captionUnreadable()
{
    return QStringLiteral("No se ofrece ningún archivo para borrar: hay proyectos que no se han podido leer");
}

MissingList missingList(const QStringList &usedLines, const std::function<bool(qsizetype, const QString &)> &isMissing,
                        const std::function<bool()> &cancelled)
{
    static const QString kDashes(100, u'-');
    MissingList out;
    bool firstHeader = true;
    for (qsizetype i = 0; i < usedLines.size(); ++i) {
        const QString &line = usedLines[i];
        if (line.contains(u'>')) {
            if (!firstHeader)
                out.lines << kDashes;
            firstHeader = false;
            out.lines << line;
        } else if (!line.trimmed().isEmpty() && isMissing(i, line)) {
            out.lines << line;
            ++out.missing;
        }
        if (cancelled())
            break;
    }
    // Equal lines stand once, the first in list order; headers and dash
    // lines are never removed.
    QSet<QString> seen;
    seen.reserve(out.lines.size());
    QStringList unique;
    unique.reserve(out.lines.size());
    for (const QString &line : std::as_const(out.lines)) {
        if (line.contains(u'>') || line.contains(QStringLiteral("----------"))) {
            unique << line;
            continue;
        }
        const qsizetype before = seen.size();
        seen.insert(line);
        if (seen.size() != before)
            unique << line;
    }
    out.lines = unique;
    return out;
}

MissingList missingList(const QStringList &usedLines, const std::function<bool(const QString &)> &isMissing,
                        const std::function<bool()> &cancelled)
{
    return missingList(
        usedLines, [&isMissing](qsizetype, const QString &line) { return isMissing(line); }, cancelled);
}

QString missingSummary(int missing)
{
    return QStringLiteral("Encontrados: ") + QString::number(missing)
        + QStringLiteral(" archivos perdidos o desubicados en otras rutas");
}

QString missingLogName(const QString &shortDate)
{
    QString d = shortDate;
    d.replace(u'/', u'-');
    return QStringLiteral("Perdidos_") + d + QStringLiteral(".log");
}

QStringList missingLogLines(const QString &summary, const QString &date, const QString &time,
                            const QStringList &listLines)
{
    QStringList out;
    out << summary + QStringLiteral("  ") + date + QStringLiteral(" a las: ") + time;
    out << QString();
    out << listLines;
    return out;
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(u'\\'))
        return folder + name;
    return folder + u'\\' + name;
}

} // namespace Unused
