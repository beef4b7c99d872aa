#include "platform/EventPump.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cerrno>

#include <unistd.h>

TEST(EventPump, ABlockingCallLetsEventsRunAndGivesItsResult)
{
    int fired = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++fired; });
    timer.start(5);
    EventPump::resetGapStats();
    QElapsedTimer t;
    t.start();
    const int result = EventPump::runBlocking([] {
        ::usleep(150 * 1000);
        errno = EIO;
        return errno;
    });
    EXPECT_EQ(result, EIO);
    EXPECT_GE(t.elapsed(), 150);
    EXPECT_GE(fired, 3) << "the window's events ran while the call blocked";
    EXPECT_LE(EventPump::longestGapMs(), 100);
}

TEST(EventPump, DueAfterTheIntervalOnly)
{
    EventPump::pumpNow();
    EXPECT_FALSE(EventPump::isDue(10000));
    EXPECT_TRUE(EventPump::isDue(0));
    ::usleep(30 * 1000);
    EXPECT_TRUE(EventPump::isDue(20));
}
