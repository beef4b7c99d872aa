#include "platform/Ansi.h"

namespace Ansi {
namespace {

// 0x80..0x9F; the rest of the page equals Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int byteFor(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

} // namespace

QChar toChar(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kHigh[byte - 0x80]);
    return QChar(char16_t(byte));
}

QString decode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = toChar(static_cast<unsigned char>(bytes[i]));
    return out;
}

bool canEncode(const QString &text)
{
    for (QChar c : text)
        if (byteFor(c.unicode()) < 0)
            return false;
    return true;
}

QByteArray encode(const QString &text, bool *ok)
{
    QByteArray out;
    out.reserve(text.size());
    bool all = true;
    for (QChar c : text) {
        const int b = byteFor(c.unicode());
        if (b < 0) {
            all = false;
            out.append('?');
        } else {
            out.append(char(b));
        }
    }
    if (ok)
        *ok = all;
    return out;
}

QByteArray textFile(const QStringList &lines)
{
    bool ansi = true;
    for (const QString &l : lines)
        if (!canEncode(l)) {
            ansi = false;
            break;
        }
    QByteArray out;
    if (!ansi)
        out = QByteArray("\xEF\xBB\xBF");
    for (const QString &l : lines) {
        out += ansi ? encode(l) : l.toUtf8();
        out += "\r\n";
    }
    return out;
}

QStringList readLines(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(bytes.mid(3));
    else
        text = decode(bytes);
    QStringList lines;
    QString cur;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines << cur;
            cur.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.isEmpty())
        lines << cur;
    return lines;
}

} // namespace Ansi
