#pragma once

#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/WinFs.h"
#include "tests/support/Fixtures.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

// A test over a library of real files in a temporary folder that is a drive
// (D: unless the test names another), with the settings store read afresh.
class LibraryTest : public ::testing::Test
{
protected:
    explicit LibraryTest(char drive = 'D') : m_drive(drive) {}

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("VELMAR_DRIVES", (QByteArray(1, m_drive) + '=' + dir.path().toLocal8Bit()));
        DriveMap::instance().reload();
        WinFs::clearCache();
        Settings::reset();
    }
    void TearDown() override
    {
        qunsetenv("VELMAR_DRIVES");
        DriveMap::instance().reload();
    }
    // Writes a file under the library (folders made as needed); its host path.
    QString write(const QString &rel, const QByteArray &bytes)
    {
        EXPECT_TRUE(Fixtures::writeFile(host(rel), bytes));
        return host(rel);
    }
    // The same, returning the file's Windows path.
    QString put(const QString &rel, const QByteArray &bytes)
    {
        write(rel, bytes);
        return win(rel);
    }
    // The host path of a file of the library ("P/a.wav" -> "<dir>/P/a.wav").
    QString host(const QString &rel) const { return dir.path() + u'/' + rel; }
    // Its Windows path ("P/a.wav" -> "D:\P\a.wav").
    static QString win(const QString &rel) { return "D:\\" + QString(rel).replace(u'/', u'\\'); }

    QTemporaryDir dir;

private:
    char m_drive;
};
