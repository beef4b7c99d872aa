#include "main/Decoder.h"

#include "platform/Ansi.h"
#include "platform/EventPump.h"
#include "platform/WinFs.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace Decoder {
namespace {

constexpr qint64 kChunk = 64 * 1024;
constexpr qint64 kHeaderKeep = 1024 * 1024;

// A project's bytes, addressed by position from 1; positions outside the
// file read as NUL (the decoder's look-aheads may pass the end).
struct Bytes
{
    const uchar *d = nullptr;
    qint64 len = 0;
    uchar at(qint64 p) const { return (p >= 1 && p <= len) ? d[p - 1] : 0; }
};

// The whole file in memory: mapped where possible, read otherwise.
class FileBytes
{
public:
    explicit FileBytes(const QString &hostPath) : m_file(hostPath)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            return;
        const qint64 size = m_file.size();
        if (size == 0) {
            m_ok = true;
            return;
        }
        m_map = m_file.map(0, size);
        if (m_map) {
            m_bytes = {m_map, size};
        } else {
            m_copy = m_file.readAll();
            if (m_copy.size() != size)
                return;
            m_bytes = {reinterpret_cast<const uchar *>(m_copy.constData()), m_copy.size()};
        }
        m_ok = true;
    }
    bool ok() const { return m_ok; }
    Bytes bytes() const { return m_bytes; }

private:
    QFile m_file;
    uchar *m_map = nullptr;
    QByteArray m_copy;
    Bytes m_bytes;
    bool m_ok = false;
};

QString header(const Bytes &b, State &st, Progress &pr)
{
    // No path area unless a NUL is found now: never the previous file's.
    st.InicioDatos = 0;
    if (b.len == 0)
        return {};
    const qint64 last = b.len - 1; // bytes before the last byte of the file
    qint64 pos = 97;
    QByteArray text;
    auto keep = [&](qint64 from, qint64 count) {
        const qint64 room = kHeaderKeep - text.size();
        if (room > 0)
            text.append(reinterpret_cast<const char *>(b.d + from - 1), std::min(room, count));
    };
    if (pos <= last && pr.cancelled()) {
        // A cancel already pending stops the reading after one byte.
        if (b.at(pos) == 0)
            st.InicioDatos = pos + 1;
        else
            keep(pos, 1);
        return Ansi::decode(text);
    }
    while (pos <= last) {
        const qint64 end = std::min(last, pos + kChunk - 1);
        const void *z = std::memchr(b.d + pos - 1, 0, size_t(end - pos + 1));
        if (z) {
            const qint64 zp = static_cast<const uchar *>(z) - b.d + 1;
            keep(pos, zp - pos);
            st.InicioDatos = zp + 1;
            return Ansi::decode(text);
        }
        keep(pos, end - pos + 1);
        pos = end + 1;
        pr.pump();
        if (pr.cancelled())
            break;
    }
    return Ansi::decode(text);
}

qint64 endMarker(const Bytes &b, qint64 inicio, Progress &pr)
{
    if (b.len == 0)
        return 0;
    // Every position is examined: an "L" that does not start the marker
    // never makes the search jump past a real one.
    qint64 pos = std::max<qint64>(inicio, 1);
    while (pos < b.len) {
        const qint64 end = std::min(b.len - 1, pos + kChunk - 1); // last start looked at
        const qint64 hayEnd = std::min(b.len, end + 11);
        qint64 from = pos;
        while (from <= end) {
            const void *hit = memmem(b.d + from - 1, size_t(hayEnd - from + 1), "LIST", 4);
            if (!hit)
                break;
            const qint64 p = static_cast<const uchar *>(hit) - b.d + 1;
            if (p > end)
                break;
            if (p + 11 <= b.len && std::memcmp(b.d + p + 7, "mdrl", 4) == 0)
                return p - 5;
            from = p + 1;
        }
        pos = end + 1;
        pr.pump();
    }
    return 0;
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

bool scan(const Bytes &b, qint64 inicio, qint64 fin, QStringList *list, bool listMode, State &st, Progress &pr)
{
    bool result = false;
    qint64 pos = inicio;
    uchar last = 0;
    qint64 sincePump = 0;
    auto tick = [&](qint64 n) {
        sincePump += n;
        if (sincePump >= 4096) {
            sincePump = 0;
            pr.pump();
        }
    };

    for (;;) {
        if (pos >= fin)
            return result;

        // Path start: only a ":" followed by "\" starts a candidate; after a
        // ":" not followed by "\" the byte after it is not looked at again.
        qint64 start = -1;
        if (pr.cancelled()) {
            last = b.at(pos);
            if (last == ':' && b.at(pos + 1) == '\\') {
                ++pos;
                last = '\\';
                start = pos - 2;
            } else {
                return result;
            }
        }
        while (start < 0) {
            const qint64 limit = std::min(fin, pos + kChunk - 1);
            const void *z = std::memchr(b.d + pos - 1, ':', size_t(limit - pos + 1));
            if (!z) {
                pos = limit + 1;
                if (pos > fin)
                    return result;
                pr.pump();
                if (pr.cancelled())
                    return result;
                continue;
            }
            const qint64 q = static_cast<const uchar *>(z) - b.d + 1;
            if (q > pos) {
                // The bytes before the colon start nothing; a cancel seen
                // after them ends the search.
                tick(q - pos);
                if (pr.cancelled())
                    return result;
            }
            pos = q + 1;
            last = b.at(pos);
            if (last == '\\') {
                start = pos - 2;
                break;
            }
            ++pos;
            if (pos > fin)
                return result;
            if (pr.cancelled())
                return result;
        }

        // Extension: up to a NUL (no path) or a dot that starts an audio
        // extension. A dot whose extension is not audio is passed by one
        // byte only, so "take.1.wav" and a NUL right after the dot are seen.
        for (;;) {
            if (last == 0)
                break;
            last = b.at(pos);
            if (last == '.') {
                const qint64 dot = pos;
                bool fla = false;
                const bool audio = isAudioExt(b.at(pos + 1), b.at(pos + 2), b.at(pos + 3), &fla);
                if (audio) {
                    pos += 4;
                    last = b.at(pos - 1);
                    qint64 end = pos - 1;
                    if (fla && b.at(pos) != 0)
                        end = pos;
                    if (!listMode)
                        return true;
                    list->append(Ansi::decode(QByteArrayView(b.d + start - 1, end - start + 1)));
                    ++st.NumArchivos;
                    result = true;
                    break;
                }
                pos = dot + 1;
                last = '.';
                if (pos > fin)
                    return result;
                tick(1);
                continue;
            }
            ++pos;
            if (pos > fin)
                return result;
            tick(1);
        }

        // Candidate end.
        pr.setValue(pos);
        ++pos;
        if (pos > fin)
            return result;
    }
}

bool decodeOpened(const Bytes &b, QStringList *list, const QString &titulo, bool listMode, State &st,
                  Progress &pr)
{
    header(b, st, pr);
    st.FinDatos = st.InicioDatos > 0 ? endMarker(b, st.InicioDatos, pr) : 0;
    pr.setRange(0, st.FinDatos);
    if (listMode && !titulo.isEmpty())
        list->append(titulo);
    if (st.InicioDatos <= 0 || st.FinDatos <= 0)
        return false;
    return scan(b, st.InicioDatos, st.FinDatos, list, listMode, st, pr);
}

} // namespace

QString itemPath(const QString &f)
{
    const qsizetype gt = f.indexOf(u'>');
    if (gt < 0)
        return f;
    qsizetype i = gt + 1;
    while (i < f.size() && f[i] == u' ')
        ++i;
    return f.mid(i);
}

QString LeerCabecera(const QString &windowsPath, State &st, Progress &progress)
{
    st.InicioDatos = 0;
    if (windowsPath.isEmpty())
        return {};
    const QString host = WinFs::hostPath(windowsPath);
    if (host.isEmpty())
        return {};
    FileBytes fb(host);
    if (!fb.ok())
        return {};
    return header(fb.bytes(), st, progress);
}

qint64 BuscarLISTmdrl(const QString &windowsPath, qint64 inicio, Progress &progress)
{
    const QString host = WinFs::hostPath(windowsPath);
    if (host.isEmpty())
        return 0;
    FileBytes fb(host);
    if (!fb.ok())
        return 0;
    return endMarker(fb.bytes(), inicio, progress);
}

bool decodeBytes(const uchar *data, qint64 length, QStringList *list, const QString &titulo, bool test,
                 State &st, Progress &progress)
{
    return decodeOpened(Bytes{data, length}, list, titulo, test, st, progress);
}

bool ExtraerNombres_Archivos(const QString &f, QStringList *list, const QString &titulo, bool test,
                             State &st, Progress &progress)
{
    st.readError = false;
    if (!f.toLower().contains(QStringLiteral(".vip")))
        return false;
    const QString path = itemPath(f);
    if (!WinFs::findNormalFile(path))
        return false;
    const QString host = WinFs::hostPath(path);
    if (QFileInfo(host).size() == 0)
        return false;
    FileBytes fb(host);
    if (!fb.ok()) {
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
    return decodeOpened(fb.bytes(), list, titulo, test, st, progress);
}

} // namespace Decoder

namespace Buscar {

bool Valido(const QString &archivo, Decoder::State &st, Progress &progress)
{
    st.readError = false;
    if (archivo.contains(QStringLiteral("FreezeData")))
        return false;
    if (!WinFs::findNormalFile(archivo))
        return false;
    if (!archivo.contains(u'.'))
        return false;
    return Decoder::ExtraerNombres_Archivos(archivo, nullptr, QString(), false, st, progress);
}

} // namespace Buscar
