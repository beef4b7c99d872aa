#pragma once

#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

// A test over a library of real files in a temporary folder that is the
// drive D:, with the settings store read afresh.
class LibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("VELMAR_DRIVES", ("D=" + dir.path()).toLocal8Bit());
        DriveMap::instance().reload();
        WinFs::clearCache();
        Settings::reset();
    }
    // Writes a file under the library (folders made as needed); its host path.
    QString write(const QString &rel, const QByteArray &bytes)
    {
        EXPECT_TRUE(Fixtures::writeFile(dir.path() + u'/' + rel, bytes));
        return dir.path() + u'/' + rel;
    }
    // The Windows path of a file of the library ("P/a.wav" -> "D:\P\a.wav").
    static QString win(const QString &rel) { return "D:\\" + QString(rel).replace(u'/', u'\\'); }

    QTemporaryDir dir;
};
