#include "main/Decoder.h"

#include "main/ProjectItem.h"
#include "platform/Ansi.h"
#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/SysCalls.h"
#include "platform/WinFs.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Decoder {
namespace {

// One read. Small enough that the buffers stay a few MiB for any project and
// the piece being searched stays in the processor's cache; large enough that
// the calls cost nothing next to the searching.
constexpr qint64 kDefaultChunk = 1024 * 1024;
// Bytes searched between two pumps.
constexpr qint64 kStep = 64 * 1024;
constexpr qint64 kHeaderKeep = 1024 * 1024;
// Bytes kept from one piece to the next: the end marker is decided twelve
// bytes after its "L", and the path scan looks back at most a few bytes.
constexpr qint64 kTail = 32;
constexpr qint64 kNone = std::numeric_limits<qint64>::max();
constexpr qint64 kMaxPath = DriveMap::kMaxPath;

qint64 g_chunk = 0;
qint64 g_largest = 0;
int g_fileDecodings = 0;

// What tells that a file is still the one that was read: a file written to
// since has another length or modification time, one put in its place
// another inode.
struct Identity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 mtimeNs = 0;
    bool operator==(const Identity &) const = default;
};

Identity identityOf(const WinFs::FileStat &st)
{
    return Identity{st.id.device, st.id.inode, st.size, st.mtimeNs};
}

// The projects decoded during the analysis under way, by host path: what a
// list-mode decoding gave (header, start and end of the path area, paths),
// and the file it was read from. Only whole, uncancelled decodings are kept.
struct Decoded
{
    Identity identity;
    Result result;
};
int g_cacheDepth = 0;
QHash<QString, Decoded> g_cache;

const Result *cached(const QString &host, const Identity &identity)
{
    if (g_cacheDepth == 0)
        return nullptr;
    const auto it = g_cache.constFind(host);
    return it != g_cache.constEnd() && it->identity == identity ? &it->result : nullptr;
}

void remember(const QString &host, const Identity &identity, const Result &r)
{
    // A file written to this recently may be written to again without its
    // time moving (file systems keep times in steps of a few milliseconds).
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 nowNs = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    if (g_cacheDepth > 0 && identity.mtimeNs < nowNs - qint64(50) * 1000000)
        g_cache.insert(host, Decoded{identity, r});
}

void noteBuffer(qint64 bytes)
{
    g_largest = std::max(g_largest, bytes);
}

// A project file opened for reading. Only a regular file is read: the open
// does not wait (a pipe named like a project would block it) and anything
// else is refused once open.
class FileSource final : public ByteSource
{
public:
    explicit FileSource(const QString &hostPath)
    {
        const QByteArray name = QFile::encodeName(hostPath);
        m_fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return;
        struct stat st;
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        const int flags = ::fcntl(m_fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK);
        m_size = qint64(st.st_size);
        m_identity = Identity{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                              qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    ~FileSource() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    bool ok() const { return m_fd >= 0; }
    // The file as it was opened.
    const Identity &identity() const { return m_identity; }
    qint64 size() const override { return m_size; }
    qint64 read(qint64 offset, uchar *to, qint64 count) override
    {
        return SysCalls::readUpTo(m_fd, reinterpret_cast<char *>(to), count, offset);
    }

private:
    int m_fd = -1;
    qint64 m_size = 0;
    Identity m_identity;
};

bool isMarkerAt(const uchar *l)
{
    return std::memcmp(l, "LIST", 4) == 0 && std::memcmp(l + 8, "mdrl", 4) == 0;
}

// The first index p in [from, to] of `data` where "LIST", four bytes of any
// value and "mdrl" start, or -1; `data` holds the bytes up to to + 11. Each
// position is looked at once, in blocks of sixteen: the "L" and the "m"
// eight bytes after it are tested together, so bytes full of "L" (or of
// "m") cost no more than any others, and only a start that has both is
// compared in full.
qint64 findMarker(const uchar *data, qint64 from, qint64 to)
{
    qint64 p = from;
#if defined(__SSE2__)
    const __m128i ell = _mm_set1_epi8('L');
    const __m128i em = _mm_set1_epi8('m');
    for (; p + 15 <= to; p += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + p + 8));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, ell), _mm_cmpeq_epi8(b, em))));
        while (mask != 0) {
            const qint64 q = p + __builtin_ctz(mask);
            if (isMarkerAt(data + q))
                return q;
            mask &= mask - 1;
        }
    }
#endif
    for (; p <= to; ++p) {
        if (data[p] == 'L' && data[p + 8] == 'm' && isMarkerAt(data + p))
            return p;
    }
    return -1;
}

// A byte that no Windows path holds after its drive: it ends the bytes that
// may still lengthen a path already found.
bool endsPathBytes(uchar c)
{
    return c < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
}

bool isAudioExt(uchar a, uchar b, uchar c, bool *fla)
{
    auto low = [](uchar x) -> uchar { return (x >= 'A' && x <= 'Z') ? uchar(x + 32) : x; };
    a = low(a);
    b = low(b);
    c = low(c);
    *fla = a == 'f' && b == 'l' && c == 'a';
    return *fla || (a == 'm' && b == 'p' && c == '3') || (a == 'w' && b == 'a' && c == 'v')
        || (a == 'a' && b == 'i' && c == 'f') || (a == 'o' && b == 'g' && c == 'g');
}

// One decoding. Positions count from 1, as the project layout does. The
// bytes of positions [m_base, m_end) are in m_buf; reading goes on from
// m_end, one piece at a time, and the end marker is searched in every piece
// as soon as it is read, so the path scan behind it knows whether a position
// still lies inside the path area before it looks at it. A position past the
// file's length, or past the point where the file could no longer be read,
// reads as NUL.
class Engine
{
public:
    Engine(ByteSource &source, Progress &progress)
        : m_src(source)
        , m_pr(progress)
        , m_len(std::max<qint64>(source.size(), 0))
        , m_chunk(g_chunk > 0 ? g_chunk : kDefaultChunk)
    {
        // A piece read after what is kept: the last bytes, or the candidate
        // path being read while it is not longer than a piece.
        m_cap = std::min(m_chunk + std::max(m_chunk, kTail), m_len + kTail) + 1;
        m_buf.reset(new uchar[size_t(m_cap)]);
        noteBuffer(m_cap);
    }

    Result run(Mode mode)
    {
        Result r;
        readHeader(r);
        if (mode == Mode::Header) {
            r.readError = m_readError;
            return r;
        }
        if (r.inicio <= 0) {
            m_pr.setRange(0, 0);
            r.readError = m_readError;
            return r;
        }
        m_reportRange = true;
        startMarker(r.inicio);
        scan(r, mode == Mode::List);
        // The marker decides the result, also after a cancel or a first path
        // in test mode: paths without an end marker after them are none.
        while (!m_finKnown && load()) {
        }
        r.fin = m_fin;
        if (r.fin <= 0) {
            r.paths.clear();
            r.found = false;
            // A header and no end marker: a project cut short (or a file
            // that is none). It names no path, but the audio paths its bytes
            // still hold are told apart, so that their files are kept.
            r.fullNames.clear();
            if (!m_readError)
                r.damaged = salvage(r.inicio);
        }
        r.readError = m_readError;
        return r;
    }

    // The end marker alone, searched from `inicio`.
    qint64 markerFrom(qint64 inicio)
    {
        if (m_len == 0)
            return 0;
        const qint64 from = std::max<qint64>(inicio, 1);
        m_base = m_end = from;
        startMarker(from);
        while (!m_finKnown && load()) {
        }
        return m_fin;
    }

private:
    // The audio paths of the bytes from `inicio` to the end of the file,
    // scanned as a path area that ends there.
    QStringList salvage(qint64 inicio)
    {
        m_base = m_end = inicio;
        m_exhausted = false;
        m_lost = false;
        m_keepFrom = kNone;
        m_markerNext = kNone;
        m_reportRange = false;
        m_pendingValue = -1;
        m_finKnown = true;
        m_fin = m_len;
        m_sure = m_len - 1;
        Result s;
        s.inicio = inicio;
        scan(s, true);
        return s.paths + s.fullNames;
    }

    uchar at(qint64 p)
    {
        if (p >= m_base && p < m_end) [[likely]]
            return m_buf[p - m_base];
        return atSlow(p);
    }

    uchar atSlow(qint64 p)
    {
        if (p < 1 || p > m_len)
            return 0;
        if (p < m_base) {
            // Never needed by the searches below; answered from the source
            // rather than wrongly.
            uchar c = 0;
            return m_src.read(p - 1, &c, 1) == 1 ? c : 0;
        }
        while (p >= m_end)
            if (!load()) {
                if (m_lost)
                    m_readError = true;
                return 0;
            }
        return m_buf[p - m_base];
    }

    // Reads the next piece; false when nothing more can be read.
    bool load()
    {
        if (m_exhausted)
            return false;
        if (m_end > m_len) {
            exhaust();
            return false;
        }
        qint64 keep = std::max(m_base, m_end - kTail);
        if (m_keepFrom >= m_base && m_keepFrom < keep && m_end - m_keepFrom <= m_chunk)
            keep = m_keepFrom;
        if (keep > m_base) {
            std::memmove(m_buf.get(), m_buf.get() + (keep - m_base), size_t(m_end - keep));
            m_base = keep;
        }
        const qint64 want = std::min({m_chunk, m_len - m_end + 1, m_cap - (m_end - m_base)});
        qint64 got = m_src.read(m_end - 1, m_buf.get() + (m_end - m_base), want);
        if (got < want) {
            // The file shrank or failed: what was read counts, the rest is NUL.
            m_lost = true;
            got = std::max<qint64>(got, 0);
        }
        m_end += got;
        if (m_lost || m_end > m_len)
            exhaust();
        else
            advanceMarker();
        m_pr.pump();
        return got > 0;
    }

    void exhaust()
    {
        m_exhausted = true;
        advanceMarker();
    }

    void startMarker(qint64 from)
    {
        m_markerNext = from;
        advanceMarker();
    }

    // Every position is examined: an "L" that does not start the marker
    // never makes the search jump past a real one.
    void advanceMarker()
    {
        if (m_markerNext == kNone || m_finKnown)
            return;
        // A start is decided once its twelve bytes are read, or when no more
        // bytes will come (those missing read as NUL and cannot match).
        const qint64 lastStart = m_exhausted ? m_end - 1 : m_end - 12;
        // Only a start with its twelve bytes read can match.
        const qint64 lastFull = std::min(lastStart, m_end - 12);
        if (m_markerNext <= lastFull) {
            const qint64 at = findMarker(m_buf.get(), m_markerNext - m_base, lastFull - m_base);
            if (at >= 0) {
                settle(m_base + at - 5);
                return;
            }
        }
        if (m_exhausted) {
            // Not found: bytes lost to a read error may have held it.
            if (m_lost)
                m_readError = true;
            settle(0);
            return;
        }
        m_markerNext = std::max(m_markerNext, lastStart + 1);
        m_sure = m_markerNext - 6;
    }

    void settle(qint64 fin)
    {
        m_fin = fin;
        m_finKnown = true;
        m_sure = fin - 1;
        if (!m_reportRange)
            return;
        m_pr.setRange(0, fin);
        if (m_pendingValue >= 0 && fin > 0)
            m_pr.setValue(m_pendingValue);
        m_pendingValue = -1;
    }

    // True when `p` lies past FinDatos (`orAt`: at or past it). A position
    // at most m_sure lies before it; beyond that the marker search is
    // carried ahead until it answers.
    bool beyond(qint64 p, bool orAt)
    {
        if (p <= m_sure) [[likely]]
            return false;
        while (!m_finKnown && p > m_sure)
            if (!load())
                break;
        if (!m_finKnown)
            return false;
        return orAt ? p >= m_fin : p > m_fin;
    }

    void showPosition(qint64 pos)
    {
        if (!m_reportRange)
            return;
        if (m_finKnown)
            m_pr.setValue(pos);
        else
            m_pendingValue = pos;
    }

    void readHeader(Result &r)
    {
        r.inicio = 0;
        if (m_len == 0)
            return;
        const qint64 last = m_len - 1; // bytes before the last byte of the file
        qint64 pos = 97;
        m_base = m_end = pos;
        QByteArray text;
        auto keep = [&](qint64 from, qint64 count) {
            const qint64 room = kHeaderKeep - text.size();
            if (room > 0)
                text.append(reinterpret_cast<const char *>(m_buf.get() + (from - m_base)), std::min(room, count));
        };
        if (pos <= last && m_pr.cancelled()) {
            // A cancel already pending stops the reading after one byte.
            const uchar c = at(pos);
            if (c == 0)
                r.inicio = pos + 1;
            else
                text.append(char(c));
            r.header = Ansi::decode(text);
            return;
        }
        while (pos <= last) {
            if (pos >= m_end && !load() && pos >= m_end) {
                // The file ends early: the missing byte reads as NUL.
                m_readError = true;
                r.inicio = pos + 1;
                break;
            }
            const qint64 end = std::min({last, m_end - 1, pos + kStep - 1});
            const uchar *s = m_buf.get() + (pos - m_base);
            if (const void *z = std::memchr(s, 0, size_t(end - pos + 1))) {
                const qint64 zp = pos + (static_cast<const uchar *>(z) - s);
                keep(pos, zp - pos);
                r.inicio = zp + 1;
                break;
            }
            keep(pos, end - pos + 1);
            pos = end + 1;
            m_pr.pump();
            if (m_pr.cancelled())
                break;
        }
        r.header = Ansi::decode(text);
    }

    // The text of positions [start, end]. The bytes still in the buffer are
    // taken from there, those before it read again, piece by piece, so a
    // path of any length costs no larger buffer. False when they cannot be
    // read again (the file shrank since).
    bool pathText(qint64 start, qint64 end, QString *text)
    {
        // A path lengthened past what the buffer still holds may end before it.
        const qint64 inBuffer = std::min(std::max(start, m_base), end + 1);
        if (start < inBuffer) {
            const qint64 piece = std::min(m_chunk, inBuffer - start);
            std::unique_ptr<uchar[]> scratch(new uchar[size_t(piece)]);
            noteBuffer(piece);
            for (qint64 p = start; p < inBuffer;) {
                const qint64 n = std::min(piece, inBuffer - p);
                if (m_src.read(p - 1, scratch.get(), n) != n) {
                    m_readError = true;
                    m_lost = true;
                    m_exhausted = true;
                    advanceMarker();
                    return false;
                }
                text->append(Ansi::decode(QByteArrayView(scratch.get(), n)));
                p += n;
            }
        }
        if (end >= inBuffer)
            text->append(Ansi::decode(QByteArrayView(m_buf.get() + (inBuffer - m_base), end - inBuffer + 1)));
        return true;
    }

    // Moves `pos` past the bytes of a candidate that neither end it nor may
    // start its extension (neither NUL nor "."), as the byte-by-byte loop
    // would pass them, while they are read and lie inside the path area for
    // sure, and not past `most`, the last position the candidate may hold;
    // `last` becomes the last byte passed. The loop goes on from the first
    // byte it must look at.
    template<typename Tick>
    void skipPlainBytes(qint64 &pos, uchar &last, Tick &tick, qint64 most)
    {
        const qint64 limit = std::min({m_end - 1, m_finKnown ? m_fin - 1 : m_sure - 1, most});
        if (pos < m_base || pos > limit)
            return;
        const uchar *s = m_buf.get() + (pos - m_base);
        const uchar *e = s + (limit - pos + 1);
        const uchar *p = s;
        while (p < e && *p != 0 && *p != '.')
            ++p;
        if (p == s)
            return;
        last = p[-1];
        pos += p - s;
        tick(p - s);
    }

    // A path found is lengthened while the bytes after it can still stand
    // in a path and end in another audio extension ("x.1.mp3.wav" names
    // that file, not "x.1.mp3"), within the longest Windows path and the
    // path area. `end` becomes the last byte of the longer path, `pos` the
    // byte after its extension's three characters, as if the scan had
    // found that extension first. Returns the position of the NUL that
    // ends these bytes, or -1 when something else ends them.
    qint64 lengthen(qint64 start, qint64 &pos, qint64 &end)
    {
        for (qint64 q = pos; q - start + 1 <= kMaxPath && !beyond(q, false); ++q) {
            const uchar c = at(q);
            if (endsPathBytes(c))
                return c == 0 ? q : -1;
            if (c != '.')
                continue;
            bool fla = false;
            if (!isAudioExt(at(q + 1), at(q + 2), at(q + 3), &fla))
                continue;
            const qint64 e = fla && at(q + 4) != 0 ? q + 4 : q + 3;
            if (e - start + 1 > kMaxPath)
                return -1;
            end = e;
            pos = q + 4;
            q += 3;
        }
        return -1;
    }

    void scan(Result &r, bool listMode)
    {
        qint64 pos = r.inicio;
        uchar last = 0;
        qint64 sincePump = 0;
        auto tick = [&](qint64 n) {
            sincePump += n;
            if (sincePump >= 4096) {
                sincePump = 0;
                m_pr.pump();
            }
        };
        struct KeepGuard
        {
            qint64 &k;
            ~KeepGuard() { k = kNone; }
        } guard{m_keepFrom};

        for (;;) {
            if (beyond(pos, true))
                return;

            // Path start: only a ":" followed by "\" starts a candidate; after
            // a ":" not followed by "\" the byte after it is not looked at
            // again.
            qint64 start = -1;
            if (m_pr.cancelled()) {
                last = at(pos);
                if (last == ':' && at(pos + 1) == '\\') {
                    ++pos;
                    last = '\\';
                    start = pos - 2;
                } else {
                    return;
                }
            }
            while (start < 0) {
                while (pos >= m_end)
                    if (!load() && pos >= m_end) {
                        // Only NUL bytes are left: no colon before the end.
                        if (m_lost)
                            m_readError = true;
                        return;
                    }
                qint64 q = pos;
                if (pos < m_base) [[unlikely]] {
                    // A long look ahead (a path being lengthened) let these
                    // bytes go from the buffer: they are looked at again one
                    // at a time, from the file.
                    if (at(pos) != ':') {
                        ++pos;
                        tick(1);
                        if (beyond(pos, false) || m_pr.cancelled())
                            return;
                        continue;
                    }
                } else {
                    // Inside the path area for sure: up to FinDatos once
                    // known, else up to where the marker search has shown it
                    // cannot end.
                    const qint64 limit = std::min({m_end - 1, pos + kStep - 1, m_finKnown ? m_fin : m_sure});
                    const uchar *s = m_buf.get() + (pos - m_base);
                    const void *z = limit >= pos ? std::memchr(s, ':', size_t(limit - pos + 1)) : nullptr;
                    if (!z) {
                        pos = std::max(pos, limit + 1);
                        if (beyond(pos, false))
                            return;
                        m_pr.pump();
                        if (m_pr.cancelled())
                            return;
                        continue;
                    }
                    q = pos + (static_cast<const uchar *>(z) - s);
                }
                if (q > pos) {
                    // The bytes before the colon start nothing; a cancel seen
                    // after them ends the search.
                    tick(q - pos);
                    if (m_pr.cancelled())
                        return;
                }
                pos = q + 1;
                last = at(pos);
                if (last == '\\') {
                    start = pos - 2;
                    break;
                }
                ++pos;
                if (beyond(pos, false))
                    return;
                if (m_pr.cancelled())
                    return;
            }

            // Extension: up to a NUL (no path) or a dot that starts an audio
            // extension. A dot whose extension is not audio is passed by one
            // byte only, so "take.1.wav" and a NUL right after the dot are
            // seen. The candidate's bytes stay in the buffer while it is
            // short.
            // A candidate that has run past the longest Windows path without
            // ending is no path: the path-start search goes on from there,
            // so a run of any length costs one pass, and a path that starts
            // inside the run is still found.
            m_keepFrom = start;
            const qint64 most = start + kMaxPath - 1;
            bool tooLong = false;
            for (;;) {
                if (last == 0)
                    break;
                skipPlainBytes(pos, last, tick, most);
                if (pos > most) {
                    tooLong = true;
                    break;
                }
                last = at(pos);
                if (last == '.') {
                    const qint64 dot = pos;
                    bool fla = false;
                    const uchar e1 = at(pos + 1);
                    const uchar e2 = at(pos + 2);
                    const uchar e3 = at(pos + 3);
                    if (isAudioExt(e1, e2, e3, &fla)) {
                        pos += 4;
                        qint64 end = pos - 1;
                        if (fla && at(pos) != 0)
                            end = pos;
                        // Longer than any Windows path: it names no file,
                        // and the scan goes on after it.
                        if (end - start + 1 > kMaxPath)
                            break;
                        if (!listMode) {
                            r.found = true;
                            return;
                        }
                        const qint64 nul = lengthen(start, pos, end);
                        QString text;
                        if (!pathText(start, end, &text))
                            return;
                        if (nul > end + 1) {
                            QString full = text;
                            if (!pathText(end + 1, nul - 1, &full))
                                return;
                            r.fullNames.append(full);
                        }
                        r.paths.append(text);
                        r.found = true;
                        break;
                    }
                    pos = dot + 1;
                    last = '.';
                    if (beyond(pos, false))
                        return;
                    tick(1);
                    continue;
                }
                ++pos;
                if (beyond(pos, false))
                    return;
                tick(1);
            }
            m_keepFrom = kNone;
            if (tooLong)
                continue;

            // Candidate end.
            showPosition(pos);
            ++pos;
            if (beyond(pos, false))
                return;
        }
    }

    ByteSource &m_src;
    Progress &m_pr;
    const qint64 m_len;
    const qint64 m_chunk;
    qint64 m_cap = 0;
    std::unique_ptr<uchar[]> m_buf;
    qint64 m_base = 1;
    qint64 m_end = 1;
    bool m_exhausted = false; // nothing more will be read
    bool m_lost = false;      // reading stopped before the file's length
    bool m_readError = false; // a position the decoding needed was lost
    qint64 m_keepFrom = kNone;

    qint64 m_markerNext = kNone; // first marker start not yet examined
    bool m_finKnown = false;
    qint64 m_fin = 0;
    // Every position up to here lies before FinDatos.
    qint64 m_sure = std::numeric_limits<qint64>::min();
    bool m_reportRange = false;
    qint64 m_pendingValue = -1;
};

} // namespace

qint64 MemorySource::read(qint64 offset, uchar *to, qint64 count)
{
    if (offset < 0 || offset >= m_length || count <= 0)
        return 0;
    const qint64 n = std::min(count, m_length - offset);
    std::memcpy(to, m_data + offset, size_t(n));
    return n;
}

Result decode(ByteSource &source, Mode mode, Progress &progress)
{
    return Engine(source, progress).run(mode);
}

CacheScope::CacheScope()
{
    if (g_cacheDepth++ == 0)
        g_cache.clear();
}

CacheScope::~CacheScope()
{
    if (--g_cacheDepth == 0) {
        g_cache.clear();
        g_cache.squeeze();
    }
}

namespace Testing {

void setChunkSize(qint64 bytes)
{
    g_chunk = std::max<qint64>(bytes, 0);
}

qint64 largestBuffer()
{
    return g_largest;
}

void resetLargestBuffer()
{
    g_largest = 0;
}

int fileDecodings()
{
    return g_fileDecodings;
}

} // namespace Testing

QString LeerCabecera(const QString &windowsPath, State &st, Progress &progress)
{
    st.InicioDatos = 0;
    if (windowsPath.isEmpty())
        return {};
    QString host;
    const WinFs::FileStat look = WinFs::statPath(windowsPath, &host);
    if (host.isEmpty())
        host = WinFs::hostPath(windowsPath);
    if (host.isEmpty())
        return {};
    // A cancel pending changes what the reading gives: only a reading that
    // would run whole takes the header already read.
    if (look.isFile && !progress.cancelled()) {
        if (const Result *r = cached(host, identityOf(look))) {
            st.InicioDatos = r->inicio;
            return r->header;
        }
    }
    FileSource file(host);
    if (!file.ok())
        return {};
    const Result r = decode(file, Mode::Header, progress);
    st.InicioDatos = r.inicio;
    return r.header;
}

qint64 BuscarLISTmdrl(const QString &windowsPath, qint64 inicio, Progress &progress)
{
    const QString host = WinFs::hostPath(windowsPath);
    if (host.isEmpty())
        return 0;
    FileSource file(host);
    if (!file.ok())
        return 0;
    return Engine(file, progress).markerFrom(inicio);
}

namespace {

bool deliver(const Result &r, QStringList *list, const QString &titulo, bool listMode, State &st)
{
    st.InicioDatos = r.inicio;
    st.FinDatos = r.fin;
    st.damaged = r.damaged;
    st.fullNames = r.fullNames;
    if (listMode) {
        if (!titulo.isEmpty())
            list->append(titulo);
        list->append(r.paths);
        st.NumArchivos += int(r.paths.size());
    }
    return r.found;
}

} // namespace

bool decodeBytes(const uchar *data, qint64 length, QStringList *list, const QString &titulo, bool test,
                 State &st, Progress &progress)
{
    MemorySource bytes(data, length);
    return deliver(decode(bytes, test ? Mode::List : Mode::Test, progress), list, titulo, test, st);
}

bool ExtraerNombres_Archivos(const QString &f, QStringList *list, const QString &titulo, bool test,
                             State &st, Progress &progress)
{
    st.readError = false;
    st.damaged.clear();
    st.fullNames.clear();
    if (!f.toLower().contains(QStringLiteral(".vip")))
        return false;
    const QString path = ProjectItem::path(f);
    QString host;
    const WinFs::FileStat look = WinFs::statPath(path, &host);
    if (!look.isFile || look.hidden)
        return false;
    if (look.size == 0)
        return false;
    // The same file decoded earlier in this analysis gives what it gave
    // then. A cancel pending changes what a decoding gives: then the file is
    // read as always.
    const bool whole = !progress.cancelled();
    if (whole) {
        if (const Result *r = cached(host, identityOf(look))) {
            progress.setRange(0, r->fin);
            progress.setValue(r->fin);
            progress.pump();
            return deliver(*r, list, titulo, test, st);
        }
    }
    FileSource file(host);
    if (!file.ok()) {
        // The header and the marker cannot be read: no path area. The title
        // line is still appended, as for any project without audio.
        st.readError = true;
        st.InicioDatos = 0;
        st.FinDatos = 0;
        progress.setRange(0, 0);
        if (test && !titulo.isEmpty())
            list->append(titulo);
        return false;
    }
    ++g_fileDecodings;
    // During an analysis the project test decodes the whole list too, so
    // that the decodings of the same file after it take it from memory. The
    // test's answer is the same either way: both scans stop at the same
    // points for a cancel, and the end marker decides both.
    const bool keep = whole && g_cacheDepth > 0;
    const Result r = decode(file, keep || test ? Mode::List : Mode::Test, progress);
    if (keep && !r.readError && !progress.cancelled())
        remember(host, file.identity(), r);
    st.readError = r.readError;
    return deliver(r, list, titulo, test, st);
}

} // namespace Decoder

namespace Buscar {

bool Valido(const QString &archivo, Decoder::State &st, Progress &progress)
{
    st.readError = false;
    st.damaged.clear();
    st.fullNames.clear();
    if (archivo.contains(QStringLiteral("FreezeData")))
        return false;
    if (!WinFs::findNormalFile(archivo))
        return false;
    if (!archivo.contains(u'.'))
        return false;
    return Decoder::ExtraerNombres_Archivos(archivo, nullptr, QString(), false, st, progress);
}

} // namespace Buscar
