#include "services/BuscarPaths.h"

namespace Buscar {

namespace {

// The platform's path services read a text only up to its first NUL.
QString beforeNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace

QStringView nombreArchivoView(const QString &text)
{
    qsizetype n = text.indexOf(QChar(0));
    if (n < 0)
        n = text.size();
    const QStringView path(text.constData(), n);
    if (path.isEmpty())
        return {};
    const QChar last = path.back();
    if (last == u'\\' || last == u'/' || last == u':')
        return {};
    if (path.contains(u'*') || path.contains(u'?'))
        return {};
    qsizetype cut = -1;
    for (qsizetype i = n - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == u'\\' || c == u'/' || c == u':') {
            cut = i;
            break;
        }
    }
    const QStringView title = path.mid(cut + 1);
    return title.size() > 254 ? QStringView() : title;
}

QString Obtener_Nombre_Archivo(const QString &text)
{
    return nombreArchivoView(text).toString();
}

QString Obtener_Nombre_Path(const QString &path, bool keepSlash)
{
    const qsizetype slash = path.lastIndexOf(u'\\');
    if (slash < 0)
        return {};
    QString folder = path.left(slash + 1);
    const qsizetype colon = folder.indexOf(u':');
    if (colon >= 1)
        folder = folder.mid(colon - 1);
    if (!keepSlash)
        folder.chop(1);
    return folder;
}

QString Obtener_VipPath(const QString &item)
{
    return Obtener_Nombre_Path(item, true) + Obtener_Nombre_Archivo(item);
}

QString Obtener_Extension(const QString &text)
{
    const QString path = beforeNul(text);
    qsizetype dot = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == u'.') {
            dot = i;
            break;
        }
        if (c == u'\\' || c == u' ')
            return {};
    }
    if (dot < 0)
        return {};
    QString ext = path.mid(dot);
    ext.remove(u'.');
    return ext;
}

} // namespace Buscar
