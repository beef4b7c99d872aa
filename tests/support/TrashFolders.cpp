#include "tests/support/TrashFolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

void TrashFolders::SetUp()
{
    LibraryTest::SetUp();
    m_savedData = qgetenv("XDG_DATA_HOME");
    clear();
}

void TrashFolders::TearDown()
{
    makeWritable();
    Trash::useDefaultVolumes();
    qputenv("XDG_DATA_HOME", m_savedData);
    LibraryTest::TearDown();
}

void TrashFolders::clear()
{
    makeWritable();
    for (const QFileInfo &e : QDir(dir.path()).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                              | QDir::NoDotAndDotDot)) {
        if (e.isDir() && !e.isSymLink())
            EXPECT_TRUE(QDir(e.absoluteFilePath()).removeRecursively()) << qPrintable(e.absoluteFilePath());
        else
            EXPECT_TRUE(QFile::remove(e.absoluteFilePath())) << qPrintable(e.absoluteFilePath());
    }
    setHome(QStringLiteral("home"));
    m_volumes.clear();
    Trash::setVolumes(m_volumes);
}

// Folders a test made read-only are writable again, so that they go.
void TrashFolders::makeWritable()
{
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    QDirIterator it(dir.path(), QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!QFileInfo(path).isSymLink())
            ::chmod(QFile::encodeName(path).constData(), 0700);
    }
}

void TrashFolders::setHome(const QString &rel)
{
    m_home = host(rel);
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home));
}

QString TrashFolders::volume(const QString &rel)
{
    EXPECT_TRUE(QDir().mkpath(host(rel)));
    m_volumes << host(rel);
    Trash::setVolumes(m_volumes);
    return host(rel);
}

QString TrashFolders::ownTrash(const QString &volume)
{
    return volume + QStringLiteral("/.Trash-") + uid();
}

QString TrashFolders::uid()
{
    return QString::number(::geteuid());
}

bool TrashFolders::folder(const QString &rel, int mode)
{
    const QString path = host(rel);
    if (!QDir().mkpath(path))
        return false;
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

bool TrashFolders::link(const QString &rel, const QString &target)
{
    QDir().mkpath(QFileInfo(host(rel)).absolutePath());
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(host(rel)).constData()) == 0;
}

QStringList TrashFolders::trashInfos() const
{
    QStringList out;
    QDirIterator it(dir.path(), {QStringLiteral("*.trashinfo")}, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir.path()).relativeFilePath(it.next());
    out.sort();
    return out;
}

QStringList TrashFolders::tree(const QString &rel) const
{
    QStringList out;
    const QString top = host(rel);
    QDirIterator it(top, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString line = QDir(top).relativeFilePath(path);
        if (info.isSymLink()) {
            line += QStringLiteral(" -> ") + info.symLinkTarget();
        } else if (info.isFile()) {
            QFile f(path);
            line += QStringLiteral(" = ")
                + QString::fromUtf8(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
        }
        out << line;
    }
    out.sort();
    return out;
}
