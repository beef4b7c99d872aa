#include "tests/support/ReferenceDecoder.h"

#include "platform/Ansi.h"

ReferenceResult referenceDecode(const QByteArray &file, bool listMode)
{
    ReferenceResult r;
    const qint64 len = file.size();
    auto at = [&](qint64 p) -> uchar { return (p >= 1 && p <= len) ? uchar(file[p - 1]) : 0; };

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
    if (r.fin <= 0)
        return r;

    const qint64 fin = r.fin;
    qint64 pos = r.inicio;
    uchar last = 0;
    for (;;) {
        if (pos >= fin)
            return r;
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
                return r;
        }
        for (;;) {
            if (last == 0)
                break;
            last = at(pos);
            if (last == '.') {
                const qint64 dot = pos;
                QByteArray ext;
                for (int k = 1; k <= 3; ++k)
                    ext.append(char(at(pos + k)));
                ext = ext.toLower();
                if (ext == "mp3" || ext == "wav" || ext == "aif" || ext == "ogg" || ext == "fla") {
                    pos += 4;
                    qint64 end = pos - 1;
                    if (ext == "fla" && at(pos) != 0)
                        end = pos;
                    if (!listMode) {
                        r.found = true;
                        return r;
                    }
                    r.paths << Ansi::decode(file.mid(start - 1, end - start + 1));
                    r.found = true;
                    break;
                }
                pos = dot + 1;
                last = '.';
                if (pos > fin)
                    return r;
                continue;
            }
            ++pos;
            if (pos > fin)
                return r;
        }
        ++pos;
        if (pos > fin)
            return r;
    }
}
