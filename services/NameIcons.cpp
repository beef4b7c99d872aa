#include "services/NameIcons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>

namespace NameIcons {
namespace {

class Provider final : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType type) const override { return m_plain.icon(type); }

    QIcon icon(const QFileInfo &info) const override
    {
        // (Asking whether it is a folder follows a link but reads nothing.)
        const QMimeType mime = m_mime.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
        QIcon themed = QIcon::fromTheme(mime.iconName());
        if (themed.isNull())
            themed = QIcon::fromTheme(mime.genericIconName());
        if (!themed.isNull())
            return themed;
        return m_plain.icon(info.isDir() ? QFileIconProvider::Folder : QFileIconProvider::File);
    }

    QString type(const QFileInfo &info) const override
    {
        if (!info.isFile())
            return QAbstractFileIconProvider::type(info); // folders, drives, links: no content read
        const QMimeType mime = m_mime.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

private:
    QFileIconProvider m_plain; // only its icons by kind, which read no file
    QMimeDatabase m_mime;
};

} // namespace

QAbstractFileIconProvider &provider()
{
    static Provider p;
    return p;
}

} // namespace NameIcons
