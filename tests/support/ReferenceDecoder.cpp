#include "tests/support/ReferenceDecoder.h"

#include "platform/Ansi.h"

namespace {

constexpr qint64 kMaxPath = 32767;

// A byte that no Windows path holds after its drive: it ends the bytes that
// may still lengthen a path found.
bool endsPathBytes(uchar c)
{
    return c < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
}

struct Scan
{
    const QByteArray &file;
    qint64 len;
    uchar at(qint64 p) const { return (p >= 1 && p <= len) ? uchar(file[p - 1]) : 0; }

    // The extension of the dot at `dot`, when it is an audio one: the last
    // position of the path it ends (".fla" takes one more byte, not a NUL).
    qint64 audioEnd(qint64 dot) const
    {
        QByteArray ext;
        for (int k = 1; k <= 3; ++k)
            ext.append(char(at(dot + k)));
        ext = ext.toLower();
        if (ext == "fla")
            return at(dot + 4) != 0 ? dot + 4 : dot + 3;
        if (ext == "mp3" || ext == "wav" || ext == "aif" || ext == "ogg")
            return dot + 3;
        return -1;
    }

    // The path area [inicio, fin] scanned for audio paths.
    QStringList paths(qint64 inicio, qint64 fin, bool listMode, bool *found, QStringList *fullNames) const
    {
        QStringList out;
        qint64 pos = inicio;
        uchar last = 0;
        for (;;) {
            if (pos >= fin)
                return out;
            qint64 start = 0;
            for (;;) {
                last = at(pos);
                if (last == ':') {
                    ++pos;
                    last = at(pos);
                    if (last == '\\') {
                        start = pos - 2;
                        break;
                    }
                }
                ++pos;
                if (pos > fin)
                    return out;
            }
            // Past the longest Windows path without an end: no path; the
            // path-start search goes on from the byte reached.
            bool tooLong = false;
            for (;;) {
                if (last == 0)
                    break;
                if (pos - start + 1 > kMaxPath) {
                    tooLong = true;
                    break;
                }
                last = at(pos);
                if (last == '.') {
                    const qint64 dot = pos;
                    qint64 end = audioEnd(dot);
                    if (end >= 0) {
                        pos = dot + 4;
                        // Longer than any Windows path: no path; the scan
                        // goes on after it.
                        if (end - start + 1 > kMaxPath)
                            break;
                        if (!listMode) {
                            *found = true;
                            return out;
                        }
                        // More path bytes that end in another audio
                        // extension: the longer path is the one named.
                        qint64 nul = -1;
                        for (qint64 q = dot + 4; q <= fin && q - start + 1 <= kMaxPath; ++q) {
                            const uchar c = at(q);
                            if (endsPathBytes(c)) {
                                if (c == 0)
                                    nul = q;
                                break;
                            }
                            if (c != '.')
                                continue;
                            const qint64 longer = audioEnd(q);
                            if (longer < 0)
                                continue;
                            if (longer - start + 1 > kMaxPath)
                                break;
                            end = longer;
                            pos = q + 4;
                            q += 3;
                        }
                        out << Ansi::decode(file.mid(start - 1, end - start + 1));
                        if (nul > end + 1)
                            *fullNames << Ansi::decode(file.mid(start - 1, nul - start));
                        *found = true;
                        break;
                    }
                    pos = dot + 1;
                    last = '.';
                    if (pos > fin)
                        return out;
                    continue;
                }
                ++pos;
                if (pos > fin)
                    return out;
            }
            if (tooLong)
                continue;
            ++pos;
            if (pos > fin)
                return out;
        }
    }
};

} // namespace

ReferenceResult referenceDecode(const QByteArray &file, bool listMode)
{
    ReferenceResult r;
    const Scan scan{file, file.size()};
    const qint64 len = scan.len;
    auto at = [&](qint64 p) { return scan.at(p); };

    for (qint64 pos = 97; pos < len; ++pos) {
        if (at(pos) == 0) {
            r.inicio = pos + 1;
            break;
        }
        if (r.header.size() < 1024 * 1024)
            r.header.append(char(at(pos)));
    }
    if (r.inicio == 0)
        return r;
    for (qint64 pos = r.inicio; pos < len; ++pos) {
        if (at(pos) == 'L' && at(pos + 1) == 'I' && at(pos + 2) == 'S' && at(pos + 3) == 'T' && pos + 11 <= len
            && at(pos + 8) == 'm' && at(pos + 9) == 'd' && at(pos + 10) == 'r' && at(pos + 11) == 'l') {
            r.fin = pos - 5;
            break;
        }
    }
    if (r.fin <= 0) {
        bool any = false;
        QStringList full;
        r.damaged = scan.paths(r.inicio, len, true, &any, &full);
        r.damaged += full;
        return r;
    }
    r.paths = scan.paths(r.inicio, r.fin, listMode, &r.found, &r.fullNames);
    return r;
}
