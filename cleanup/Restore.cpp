#include "cleanup/Restore.h"

#include "cleanup/DeletionLog.h"
#include "platform/DriveMap.h"

#include <QFile>

namespace Restore {

std::optional<ShellCopy::RestoreTarget> target(const QString &line, QString *why)
{
    const QString problem = DeletionLog::lineProblem(line);
    if (!problem.isEmpty()) {
        *why = problem;
        return std::nullopt;
    }
    const QString path = DriveMap::collapse(line);
    const QString root = DriveMap::instance().root(path[0]);
    if (root.isEmpty()) {
        *why = QStringLiteral("la unidad ") + path.left(2) + QStringLiteral(" no está disponible");
        return std::nullopt;
    }
    const QStringList names = path.mid(3).split(u'\\');
    ShellCopy::RestoreTarget t;
    t.root = QFile::encodeName(root);
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        if (i > 0)
            t.folder += '/';
        t.folder += QFile::encodeName(names[i]);
    }
    t.name = QFile::encodeName(names.last());
    t.shownFile = path;
    t.shownFolder = path.left(path.size() - names.last().size() - 1);
    if (t.shownFolder.size() == 2)
        t.shownFolder += u'\\';
    return t;
}

ShellResult one(int backupFolderFd, const QString &line)
{
    QString why;
    const std::optional<ShellCopy::RestoreTarget> t = target(line, &why);
    if (!t)
        return ShellResult::failed(why);
    return ShellCopy::restoreInto(backupFolderFd, t->name, *t);
}

} // namespace Restore
