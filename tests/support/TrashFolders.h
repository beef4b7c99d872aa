#pragma once

#include "platform/Trash.h"
#include "tests/support/LibraryTest.h"

#include <QByteArray>
#include <QStringList>

// A test of the real trash on folders of its own: the library drive D:, the
// home trash under "<dir>/home" (XDG_DATA_HOME) and the volumes the test
// names (none unless it names them). What it changes is put back after it.
class TrashFolders : public LibraryTest
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Back to an empty folder, no volume, the home trash under "<dir>/home":
    // the start of one more case.
    void clear();

    // The home trash's data folder becomes "<dir>/<rel>".
    void setHome(const QString &rel);
    QString homeTrash() const { return m_home + QStringLiteral("/Trash"); }
    // Makes the folder "<dir>/<rel>" and gives it to the trash as one more
    // volume (the top folder of a mount); its host path.
    QString volume(const QString &rel);
    // "<volume>/.Trash-<uid>".
    static QString ownTrash(const QString &volume);
    static QString uid();

    // Makes a folder (and those above it) with the mode given.
    bool folder(const QString &rel, int mode = 0700);
    // Makes a link at "<dir>/<rel>" pointing to `target` (a host path).
    bool link(const QString &rel, const QString &target);

    // Every ".trashinfo" file under the test's folder, as paths below it.
    QStringList trashInfos() const;
    // Every entry under "<dir>/<rel>" (links not followed), each as its path
    // below that folder and, for a file, its bytes: what a folder holds.
    QStringList tree(const QString &rel) const;

private:
    void makeWritable();
    QByteArray m_savedData;
    QString m_home;
    QStringList m_volumes;
};
