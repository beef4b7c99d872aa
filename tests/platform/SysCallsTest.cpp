#include "platform/SysCalls.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

void onSignal(int) {}

} // namespace

// A signal that arrives while a read waits cuts the read short with nothing
// read (the handler is installed without restart, as a program's own may
// be): the read is made again and gets what comes after.
TEST(SysCalls, AReadCutShortByASignalIsMadeAgain)
{
    struct sigaction action = {}, before = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &before), 0);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pthread_t reader = ::pthread_self();
    // The writer always writes and closes: the read never waits for ever.
    std::thread writer([&] {
        ::usleep(50 * 1000);
        ::pthread_kill(reader, SIGUSR1);
        ::usleep(50 * 1000);
        const bool written = ::write(pipeFds[1], "late", 4) == 4;
        EXPECT_TRUE(written);
        ::close(pipeFds[1]);
    });
    char buffer[16] = {};
    const qint64 got = SysCalls::readUpTo(pipeFds[0], buffer, sizeof buffer);
    writer.join();
    ::close(pipeFds[0]);
    ::sigaction(SIGUSR1, &before, nullptr);
    EXPECT_EQ(got, 4);
    EXPECT_EQ(QByteArray(buffer, 4), "late");
}

TEST(SysCalls, ReadsUpToTheEndAtThePositionOrAtAnOffset)
{
    QTemporaryDir dir;
    const QByteArray path = (dir.path() + "/f").toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "0123456789", 10), 10);
    ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
    char buffer[16] = {};
    EXPECT_EQ(SysCalls::readUpTo(fd, buffer, 4, 6), 4);
    EXPECT_EQ(QByteArray(buffer, 4), "6789");
    EXPECT_EQ(SysCalls::readUpTo(fd, buffer, 3, 8), 2) << "fewer at the end of the file";
    EXPECT_EQ(SysCalls::readUpTo(fd, buffer, 3), 3) << "the position did not move";
    EXPECT_EQ(QByteArray(buffer, 3), "012");
    EXPECT_EQ(SysCalls::readUpTo(fd, buffer, 16), 7);
    EXPECT_EQ(SysCalls::readUpTo(fd, buffer, 16), 0);
    ::close(fd);
    EXPECT_EQ(SysCalls::readUpTo(fd, buffer, 16), 0) << "an error reads nothing";
}
