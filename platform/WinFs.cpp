#include "platform/WinFs.h"

#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/SysCalls.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <cerrno>
#include <ctime>
#include <memory>

namespace WinFs {
namespace {

// Below U+0300 every text is already in normalisation form C, and so is
// its case folding: most names need no normalising at all.
bool composed(QStringView s)
{
    for (const QChar c : s)
        if (c.unicode() >= 0x300)
            return false;
    return true;
}

QString folded(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode())) {
            const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(c, s[i + 1].unicode()));
            out += QChar(QChar::highSurrogate(f));
            out += QChar(QChar::lowSurrogate(f));
            ++i;
        } else {
            out += QChar(char16_t(QChar::toCaseFolded(char32_t(c))));
        }
    }
    return out;
}

struct DirStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 mtimeNs = -1; // -1: the folder could not be looked at
    bool operator==(const DirStamp &) const = default;
};

DirStamp stampOf(const QString &hostDir)
{
    struct stat st;
    if (::stat(QFile::encodeName(hostDir).constData(), &st) != 0)
        return {};
    return DirStamp{quint64(st.st_dev), quint64(st.st_ino),
                    qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// A folder changed this recently may change again without its time moving
// (file systems keep times in steps of a few milliseconds): what was seen
// in it is not kept.
bool settled(const DirStamp &stamp)
{
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 nowNs = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    return stamp.mtimeNs >= 0 && stamp.mtimeNs < nowNs - qint64(50) * 1000000;
}

// While an analysis looks (AnalysisLooks), a folder's stamp looked at less
// than this long ago is taken as its stamp now.
constexpr qint64 kFreshNs = 10 * 1000000;
int g_analysisLooks = 0;

qint64 monotonicNs()
{
    struct timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// True when `hostDir` still has the stamp `seen`, last found at `*checkedNs`
// (then set to now when the folder is looked at again).
bool stillStamped(const QString &hostDir, const DirStamp &seen, qint64 *checkedNs)
{
    const qint64 now = monotonicNs();
    if (g_analysisLooks > 0 && now - *checkedNs < kFreshNs)
        return true;
    if (!(stampOf(hostDir) == seen))
        return false;
    *checkedNs = now;
    return true;
}

// Calls `f(name, type, folderFd)` for each entry of a folder but "." and
// "..", read straight in large pieces; `progress` is pumped as it goes.
// False when the folder cannot be opened.
template<typename F>
bool forEachName(const QByteArray &dirName, Progress *progress, F f)
{
    const int fd = ::open(dirName.constData(), O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    constexpr size_t kBuffer = 64 * 1024;
    // Events may run during the reading and read a folder of their own:
    // each reading takes a buffer of its own from the spares (no buffer is
    // made per folder, and the folders of a tree are many).
    static thread_local std::vector<std::unique_ptr<char[]>> spares;
    std::unique_ptr<char[]> buffer;
    if (spares.empty()) {
        buffer.reset(new char[kBuffer]);
    } else {
        buffer = std::move(spares.back());
        spares.pop_back();
    }
    int sincePump = 0;
    for (;;) {
        const long got = SysCalls::retryInterrupted([&] { return ::syscall(SYS_getdents64, fd, buffer.get(), kBuffer); });
        if (got <= 0)
            break;
        for (long at = 0; at < got;) {
            const auto *e = reinterpret_cast<const struct dirent64 *>(buffer.get() + at);
            at += e->d_reclen;
            const char *n = e->d_name;
            if ((n[0] == '.' && n[1] == 0) || (n[0] == '.' && n[1] == '.' && n[2] == 0))
                continue;
            f(n, e->d_type, fd);
            // A folder of tens of thousands of files takes a while to read.
            if (progress && ++sincePump == 256) {
                sincePump = 0;
                progress->pump();
            }
        }
    }
    ::close(fd);
    spares.push_back(std::move(buffer));
    return true;
}

// The sign of QString::compare(a, b, Qt::CaseInsensitive): over ASCII,
// where case folding is lower case, without calling it.
int foldedCompare(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *x = reinterpret_cast<const char16_t *>(a.constData());
    const char16_t *y = reinterpret_cast<const char16_t *>(b.constData());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t p = x[i], q = y[i];
        if (p == q)
            continue;
        if ((p | q) >= 0x80)
            return a.compare(b, Qt::CaseInsensitive); // the equal start folds alike
        if (p >= u'A' && p <= u'Z')
            p += 32;
        if (q >= u'A' && q <= u'Z')
            q += 32;
        if (p != q)
            return p < q ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// The order of a folder's listing: case-blind, then by plain comparison.
bool namedBefore(const QString &a, const QString &b)
{
    const int c = foldedCompare(a, b);
    return c != 0 ? c < 0 : a < b;
}

// The names of a folder by their key (nameKey): the first of each key in
// listing order, and the others of a key that several names answer to, in
// listing order after it.
struct Listing
{
    DirStamp stamp;
    qint64 checkedNs = 0; // when the folder last had `stamp` (monotonic)
    bool settled = false; // else it is listed again at its next use
    bool read = false;    // it is a folder, and it could be read
    QHash<QString, QString> firstByKey;
    QHash<QString, QStringList> moreByKey;
};

QHash<QString, Listing> g_listing;
Progress *g_lookupProgress = nullptr;

// A folder's names, listed again whenever the folder has changed since.
const Listing &listingOf(const QString &hostDir)
{
    auto it = g_listing.find(hostDir);
    if (it != g_listing.end() && it->settled && stillStamped(hostDir, it->stamp, &it->checkedNs))
        return *it;
    Listing l;
    l.checkedNs = monotonicNs();
    l.stamp = stampOf(hostDir);
    l.settled = settled(l.stamp);
    // The names first, then the table made at its size: grown as the names
    // come, it is built again at each doubling, at once.
    std::vector<QString> names;
    l.read = forEachName(QFile::encodeName(hostDir), g_lookupProgress,
                         [&names](const char *n, unsigned char, int) { names.push_back(QFile::decodeName(n)); });
    l.firstByKey.reserve(qsizetype(names.size()));
    int sincePump = 0;
    for (QString &name : names) {
        const QString key = nameKey(name);
        QString &first = l.firstByKey[key];
        if (first.isNull()) {
            first = std::move(name);
        } else {
            if (namedBefore(name, first))
                std::swap(name, first);
            l.moreByKey[key] << std::move(name);
        }
        if (g_lookupProgress && ++sincePump == 1024) {
            sincePump = 0;
            g_lookupProgress->pump();
        }
    }
    for (QStringList &more : l.moreByKey)
        std::sort(more.begin(), more.end(), namedBefore);
    return *g_listing.insert(hostDir, std::move(l));
}

// True when `hostDir` was listed a moment ago and has not changed since, so
// it exists without another look (while an analysis looks).
bool listedJustNow(const QString &hostDir)
{
    if (g_analysisLooks == 0)
        return false;
    const auto it = g_listing.constFind(hostDir);
    return it != g_listing.constEnd() && it->settled && it->stamp.mtimeNs >= 0
        && monotonicNs() - it->checkedNs < kFreshNs;
}

// Folders found missing by a case-blind resolution, by their exact host
// path: nothing can be found below them while the nearest folder above them
// that exists (`anchor`) is unchanged, since the resolution of the name
// below it depends on its listing only.
struct MissingFolder
{
    QString anchor;
    DirStamp stamp;
    qint64 checkedNs = 0; // when the anchor last had `stamp` (monotonic)
};

QHash<QString, MissingFolder> g_missing;

bool knownMissingFolder(const QString &hostFolder)
{
    const auto it = g_missing.find(hostFolder);
    if (it == g_missing.end())
        return false;
    if (it->stamp.mtimeNs >= 0 && stillStamped(it->anchor, it->stamp, &it->checkedNs))
        return true;
    g_missing.erase(it);
    return false;
}

bool hostExists(const QString &p)
{
    struct stat st;
    return ::lstat(QFile::encodeName(p).constData(), &st) == 0;
}

QString joined(const QString &folder, const QString &name)
{
    return folder == QStringLiteral("/") ? u'/' + name : folder + u'/' + name;
}

// The case-blind resolution of a Windows path whose exact host path was
// just found not to exist: component by component from the drive's root,
// each name taken as written when it exists, else the first name of the
// folder's listing that answers to it (nameKey), else as written. `missing` (when given) is
// set when a name was found neither way: then nothing is below it, and the
// rest of the path is as written.
QString resolveCaseBlind(const QString &windowsPath, bool *missing)
{
    if (missing)
        *missing = false;
    // ".." already collapsed: a name never leads out of its drive.
    const QString collapsed = DriveMap::collapse(windowsPath);
    const QString root = DriveMap::instance().toHost(collapsed.left(2) + u'\\');
    const QStringList parts = collapsed.mid(3).split(u'\\', Qt::SkipEmptyParts);
    const qsizetype n = parts.size();
    if (n == 0)
        return root;

    // The folders of the path as written, deepest first, up to the first
    // that exists: every folder above it exists too, and the resolution
    // from the root would take each of them as written.
    QStringList exact{root};
    for (qsizetype i = 0; i < n; ++i)
        exact << joined(exact.last(), parts[i]);
    qsizetype from = 0; // exact[from] exists (the root is taken as it is)
    for (qsizetype k = n - 1; k > 0; --k) {
        if (listedJustNow(exact[k]) || hostExists(exact[k])) {
            from = k;
            break;
        }
    }

    QString cur = exact[from];
    bool asWritten = true; // cur is exact[i]
    for (qsizetype i = from; i < n; ++i) {
        const QString &part = parts[i];
        QString next = joined(cur, part);
        // exact[i + 1] is known not to exist (the whole path, or a folder
        // below the one found above).
        const bool knownAbsent = asWritten && i + 1 > from;
        if (knownAbsent || !hostExists(next)) {
            const Listing &l = listingOf(cur);
            const auto hit = l.firstByKey.constFind(nameKey(part));
            if (hit != l.firstByKey.constEnd()) {
                next = joined(cur, *hit);
            } else {
                // Found neither way: nothing lies below. Remembered for the
                // folders of the path below `cur`, when `cur` is a folder
                // reached as written (then its listing alone decides, also
                // for answers(), which goes through it as well).
                if (missing)
                    *missing = true;
                if (asWritten && i + 1 < n && l.settled && l.read)
                    g_missing.insert(exact[n - 1], MissingFolder{cur, l.stamp, l.checkedNs});
                for (qsizetype j = i; j < n; ++j)
                    cur = joined(cur, parts[j]);
                return cur;
            }
        }
        asWritten = asWritten && next == exact[i + 1];
        cur = next;
    }
    return cur;
}

// What one look at `name` (its lstat `st`) tells, the link followed.
FileStat lookAt(const QByteArray &name, const QString &host, struct stat st)
{
    FileStat out;
    out.exists = true;
    if (S_ISLNK(st.st_mode)) {
        out.isLink = true;
        // A link whose target is gone names nothing that can be read.
        if (::stat(name.constData(), &st) != 0)
            return out;
    }
    out.isDir = S_ISDIR(st.st_mode);
    out.isFile = S_ISREG(st.st_mode);
    out.size = qint64(st.st_size);
    out.id = FileId{quint64(st.st_dev), quint64(st.st_ino)};
    out.links = quint64(st.st_nlink);
    out.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    const qsizetype last = host.lastIndexOf(u'/');
    out.hidden = host.size() > last + 1 && host[last + 1] == u'.';
    return out;
}

// A folder (a link to one included) or, for the last name, a regular file.
bool isKind(const QString &host, bool folder)
{
    struct stat st;
    if (::stat(QFile::encodeName(host).constData(), &st) != 0)
        return false;
    return folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

// answers() once the path as written was found not to name a regular file.
std::vector<Answer> answersCaseBlind(const QString &windowsPath)
{
    std::vector<Answer> out;
    const QString collapsed = DriveMap::collapse(windowsPath);
    const QString root = DriveMap::instance().toHost(collapsed.left(2) + u'\\');
    const QStringList parts = collapsed.mid(3).split(u'\\', Qt::SkipEmptyParts);
    const qsizetype n = parts.size();
    if (n == 0 || root.isEmpty())
        return out;

    // As in resolveCaseBlind: the deepest folder of the path as written
    // that is there, every folder above it is there as written too.
    QStringList exact{root};
    for (qsizetype i = 0; i < n; ++i)
        exact << joined(exact.last(), parts[i]);
    qsizetype from = 0;
    for (qsizetype k = n - 1; k > 0; --k) {
        if (listedJustNow(exact[k]) || isKind(exact[k], true)) {
            from = k;
            break;
        }
    }
    struct Reached
    {
        QString host;
        QString path; // the Windows path as the names found spell it
        bool asWritten;
    };
    QString start = collapsed.left(2);
    for (qsizetype i = 0; i < from; ++i)
        start += u'\\' + parts[i];
    std::vector<Reached> reached{{exact[from], start, true}};
    for (qsizetype i = from; i < n && !reached.empty(); ++i) {
        const QString &part = parts[i];
        const bool last = i + 1 == n;
        std::vector<Reached> next;
        for (const Reached &r : reached) {
            const QString asWritten = joined(r.host, part);
            // Reached as written, the name as written is known not to be
            // there (the search for `from`, or the caller's look).
            if (!r.asWritten && isKind(asWritten, !last)) {
                next.push_back({asWritten, r.path + u'\\' + part, r.asWritten});
                continue;
            }
            const Listing &l = listingOf(r.host);
            const QString key = nameKey(part);
            const auto first = l.firstByKey.constFind(key);
            if (first == l.firstByKey.constEnd()) {
                // No name answers: nothing lies below (see resolveCaseBlind).
                if (r.asWritten && !last && l.settled && l.read)
                    g_missing.insert(exact[n - 1], MissingFolder{r.host, l.stamp, l.checkedNs});
                continue;
            }
            QStringList names{*first};
            names << l.moreByKey.value(key);
            // At the end, whatever they are: only the regular files below
            // answer.
            for (const QString &name : std::as_const(names)) {
                const QString host = joined(r.host, name);
                if (name != part && (last || isKind(host, true)))
                    next.push_back({host, r.path + u'\\' + name, false});
            }
        }
        reached = std::move(next);
    }
    for (const Reached &r : reached) {
        const QByteArray name = QFile::encodeName(r.host);
        struct stat st;
        if (::lstat(name.constData(), &st) != 0)
            continue;
        FileStat fs = lookAt(name, r.host, st);
        if (!fs.isFile)
            continue;
        fs.caseBlind = true;
        out.push_back(Answer{r.path, r.host, fs});
    }
    return out;
}

} // namespace

bool isWindowsName(const QString &name)
{
    if (name.isEmpty() || name.endsWith(u'.') || name.endsWith(u' '))
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == u'\\' || u == u'/' || u == u':' || u == u'*'
            || u == u'?' || u == u'"' || u == u'<' || u == u'>' || u == u'|')
            return false;
    }
    // "CON", "con.wav", "Com1 .txt": the part before the first dot, blanks
    // at its end ignored, in either letter case. (No letter outside ASCII is
    // written in capitals as one of these names' letters.)
    qsizetype end = name.indexOf(u'.');
    if (end < 0)
        end = name.size();
    while (end > 0 && name[end - 1] == u' ')
        --end;
    const QStringView base = QStringView(name).left(end);
    auto is = [&base](const char *word) { return base.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0; };
    if (base.size() == 3 && (is("CON") || is("PRN") || is("AUX") || is("NUL")))
        return false;
    if (base.size() == 4 && base[3] >= u'1' && base[3] <= u'9'
        && (base.left(3).compare(QLatin1StringView("COM"), Qt::CaseInsensitive) == 0
            || base.left(3).compare(QLatin1StringView("LPT"), Qt::CaseInsensitive) == 0))
        return false;
    return true;
}

bool isWindowsName(QByteArrayView raw)
{
    if (!raw.isValidUtf8())
        return false;
    return isWindowsName(QString::fromUtf8(raw));
}

QString hostPath(const QString &windowsPath)
{
    const QString direct = DriveMap::instance().toHost(windowsPath);
    if (direct.isEmpty() || hostExists(direct))
        return direct;
    // The file that findNormalFile() and the match take, when one answers.
    const std::vector<Answer> found = answersCaseBlind(windowsPath);
    if (!found.empty())
        return found.front().host;
    return resolveCaseBlind(windowsPath, nullptr);
}

QString nameKey(QStringView name)
{
    if (composed(name))
        return folded(name);
    const QString nfc = name.toString().normalized(QString::NormalizationForm_C);
    // Folding may take a letter out of the composed form (or into it).
    return folded(nfc).normalized(QString::NormalizationForm_C);
}

bool sameName(QStringView a, QStringView b)
{
    if (composed(a) && composed(b))
        return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
    return nameKey(a) == nameKey(b);
}

FileStat statPath(const QString &windowsPath, QString *host)
{
    QString h = DriveMap::instance().toHost(windowsPath);
    if (h.isEmpty())
        return {};
    // Under a folder a case-blind resolution found missing, and nothing
    // changed since: nothing is there.
    const qsizetype slash = h.lastIndexOf(u'/');
    if (slash > 0 && !g_missing.isEmpty() && knownMissingFolder(h.left(slash)))
        return {};
    QByteArray name = QFile::encodeName(h);
    struct stat st;
    bool caseBlind = false;
    if (::lstat(name.constData(), &st) != 0) {
        // The file that findNormalFile() and the match take, when one
        // answers; else what the walk from the root reaches.
        const std::vector<Answer> found = answersCaseBlind(windowsPath);
        if (!found.empty()) {
            h = found.front().host;
        } else {
            bool missing = false;
            h = resolveCaseBlind(windowsPath, &missing);
            if (missing)
                return {};
        }
        name = QFile::encodeName(h);
        if (::lstat(name.constData(), &st) != 0)
            return {};
        caseBlind = true;
    }
    if (host)
        *host = h;
    FileStat out = lookAt(name, h, st);
    out.caseBlind = caseBlind;
    return out;
}

std::vector<Answer> answers(const QString &windowsPath)
{
    const QString h = DriveMap::instance().toHost(windowsPath);
    if (h.isEmpty())
        return {};
    const qsizetype slash = h.lastIndexOf(u'/');
    if (slash > 0 && !g_missing.isEmpty() && knownMissingFolder(h.left(slash)))
        return {};
    const QByteArray name = QFile::encodeName(h);
    struct stat st;
    if (::lstat(name.constData(), &st) == 0) {
        const FileStat exact = lookAt(name, h, st);
        if (exact.isFile)
            return {Answer{windowsPath, h, exact}};
    }
    return answersCaseBlind(windowsPath);
}

bool findNormalFile(const QString &windowsPath, QString *host)
{
    // Regular files only: a pipe or device named like a project would block
    // or never end when read. The name as written, when it is there, is the
    // one looked at (as statPath() and hostPath() take it).
    const QString h = DriveMap::instance().toHost(windowsPath);
    if (h.isEmpty())
        return false;
    const qsizetype slash = h.lastIndexOf(u'/');
    if (slash > 0 && !g_missing.isEmpty() && knownMissingFolder(h.left(slash)))
        return false;
    const QByteArray name = QFile::encodeName(h);
    struct stat st;
    if (::lstat(name.constData(), &st) == 0) {
        const FileStat exact = lookAt(name, h, st);
        if (host && exact.isFile && !exact.hidden)
            *host = h;
        return exact.isFile && !exact.hidden;
    }
    for (const Answer &a : answersCaseBlind(windowsPath)) {
        if (!a.stat.hidden) {
            if (host)
                *host = a.host;
            return true;
        }
    }
    return false;
}

bool isDirectory(const QString &windowsPath)
{
    const QString h = hostPath(windowsPath);
    return !h.isEmpty() && QFileInfo(h).isDir();
}

qint64 fileSize(const QString &windowsPath)
{
    const QString h = hostPath(windowsPath);
    if (h.isEmpty())
        return -1;
    const QFileInfo fi(h);
    return fi.exists() ? fi.size() : -1;
}

QDateTime lastModified(const QString &windowsPath)
{
    const QString h = hostPath(windowsPath);
    return h.isEmpty() ? QDateTime() : QFileInfo(h).lastModified();
}

namespace {

bool listedBefore(const Entry &a, const Entry &b)
{
    return namedBefore(a.name, b.name);
}

constexpr size_t kPiece = 4096;

// A folder's entries as they are read, in pieces of kPiece: one vector
// grown to a million entries would move them all at once, more than once.
using Pieces = std::vector<std::vector<Entry>>;

// The entries of the pieces, sorted case-blind, then by plain comparison:
// pieces sorted and merged, with events let run between them (a folder may
// hold a million names).
std::vector<Entry> sortedListing(Pieces &pieces, Progress *progress)
{
    size_t n = 0;
    for (const std::vector<Entry> &p : pieces)
        n += p.size();
    std::vector<Entry> entries;
    if (pieces.size() == 1) {
        entries = std::move(pieces.front());
    } else {
        entries.reserve(n);
        for (std::vector<Entry> &p : pieces) {
            std::move(p.begin(), p.end(), std::back_inserter(entries));
            std::vector<Entry>().swap(p);
            if (progress)
                progress->pump();
        }
    }
    if (!progress || n <= kPiece) {
        std::sort(entries.begin(), entries.end(), listedBefore);
        if (progress)
            progress->pump();
        return entries;
    }
    for (size_t from = 0; from < n; from += kPiece) {
        std::sort(entries.begin() + qsizetype(from), entries.begin() + qsizetype(std::min(n, from + kPiece)),
                  listedBefore);
        progress->pump();
    }
    // Merged from one vector into the other and back, element by element:
    // the last merge of a million names is one long stretch otherwise.
    std::vector<Entry> spare;
    spare.reserve(n);
    std::vector<Entry> *from = &entries, *to = &spare;
    int sincePump = 0;
    for (size_t width = kPiece; width < n; width *= 2) {
        size_t k = 0;
        const auto put = [&](Entry &e) {
            if (k < to->size())
                (*to)[k] = std::move(e);
            else
                to->push_back(std::move(e));
            ++k;
            if (++sincePump == 4096) {
                sincePump = 0;
                progress->pump();
            }
        };
        for (size_t left = 0; left < n; left += 2 * width) {
            const size_t mid = std::min(n, left + width), end = std::min(n, left + 2 * width);
            size_t i = left, j = mid;
            while (i < mid && j < end)
                put(listedBefore((*from)[j], (*from)[i]) ? (*from)[j++] : (*from)[i++]);
            while (i < mid)
                put((*from)[i++]);
            while (j < end)
                put((*from)[j++]);
        }
        std::swap(from, to);
    }
    if (from != &entries)
        entries.swap(spare);
    // What is left in the spare vector are moved-from names.
    releaseInPieces(spare, *progress);
    return entries;
}

} // namespace

std::vector<Entry> listHostDir(const QString &hostDir, Progress *progress)
{
    return listHostDir(QFile::encodeName(hostDir), progress);
}

std::vector<Entry> listHostDir(const QByteArray &dirName, int *error)
{
    return listHostDir(dirName, nullptr, error);
}

std::vector<Entry> listHostDir(const QByteArray &dirName, Progress *progress, int *error)
{
    Pieces pieces(1);
    const bool read = forEachName(dirName, progress, [&pieces](const char *n, unsigned char type, int fd) {
        Entry entry;
        entry.raw = QByteArray(n);
        entry.name = QFile::decodeName(entry.raw);
        entry.windowsName = QByteArrayView(entry.raw).isValidUtf8() && isWindowsName(entry.name);
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st;
            if (::fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                if (S_ISLNK(st.st_mode)) {
                    entry.isLink = true;
                    struct stat target;
                    entry.isDir = ::fstatat(fd, n, &target, 0) == 0 && S_ISDIR(target.st_mode);
                } else {
                    entry.isDir = S_ISDIR(st.st_mode);
                }
            }
        } else {
            entry.isDir = type == DT_DIR;
        }
        if (pieces.back().size() == kPiece)
            pieces.emplace_back().reserve(kPiece);
        pieces.back().push_back(std::move(entry));
    });
    // Nothing runs between the failed open and here: errno is still its.
    if (error)
        *error = read ? 0 : errno;
    return sortedListing(pieces, progress);
}

AnalysisLooks::AnalysisLooks(Progress &progress) : m_previous(g_lookupProgress)
{
    g_lookupProgress = &progress;
    ++g_analysisLooks;
}

AnalysisLooks::~AnalysisLooks()
{
    --g_analysisLooks;
    g_lookupProgress = m_previous;
}

void clearCache()
{
    g_listing.clear();
    g_missing.clear();
}

} // namespace WinFs
