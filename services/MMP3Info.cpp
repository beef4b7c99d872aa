#include "services/MMP3Info.h"

#include "platform/Ansi.h"
#include "platform/WinFs.h"

#include <QFile>

namespace MMP3Info {
namespace {

// Up to 30 characters of the window from `from` (0-based), fitted to the
// field's width. Past the end of the window the value is "" (all blanks).
QString field(const QString &window, qsizetype from, qsizetype width)
{
    QString v = window.mid(from, 30).left(width);
    if (v.size() < width)
        v += QString(width - v.size(), QLatin1Char(' '));
    return v;
}

// The first "tag" in any mix of cases. Only the ASCII letters count: the
// window's other characters never stand for them.
qsizetype findTag(QByteArrayView w)
{
    for (qsizetype i = 0; i + 2 < w.size(); ++i) {
        if ((uchar(w[i]) | 0x20) == 't' && (uchar(w[i + 1]) | 0x20) == 'a' && (uchar(w[i + 2]) | 0x20) == 'g')
            return i;
    }
    return -1;
}

} // namespace

TagMP3 tagFromWindow(QByteArrayView window)
{
    TagMP3 tag;
    window = window.first(qMin(window.size(), kWindowSize));
    const qsizetype t = findTag(window);
    if (t < 0)
        return tag;
    const QString text = Ansi::decode(window);
    tag.Titulo = field(text, t + 3, 30);
    tag.Artista = field(text, t + 33, 30);
    tag.Album = field(text, t + 63, 30);
    tag.Anio = field(text, t + 93, 4);
    tag.Comentario = field(text, t + 97, 30);
    return tag;
}

TagMP3 tagFromBytes(QByteArrayView fileBytes)
{
    if (fileBytes.size() < kWindowBack)
        return {};
    return tagFromWindow(fileBytes.sliced(fileBytes.size() - kWindowBack, kWindowSize));
}

TagMP3 LeerTagMP3(const QString &file)
{
    // Only a regular file is opened: a pipe would block the window thread.
    if (!WinFs::statPath(file).isFile)
        return {};
    QFile f(WinFs::hostPath(file));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = f.size();
    if (size < kWindowBack || !f.seek(size - kWindowBack))
        return {};
    QByteArray window(kWindowSize, Qt::Uninitialized);
    if (f.read(window.data(), kWindowSize) != kWindowSize)
        return {};
    return tagFromWindow(window);
}

} // namespace MMP3Info
