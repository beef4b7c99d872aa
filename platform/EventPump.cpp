#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <future>
#include <system_error>

namespace EventPump {
namespace {

QElapsedTimer &clock()
{
    static QElapsedTimer t;
    if (!t.isValid())
        t.start();
    return t;
}

qint64 g_last = -1;
qint64 g_longest = 0;

void run()
{
    const qint64 now = clock().elapsed();
    if (g_last >= 0 && now - g_last > g_longest)
        g_longest = now - g_last;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    g_last = clock().elapsed();
}

} // namespace

void pumpEvents()
{
    const qint64 now = clock().elapsed();
    if (g_last < 0 || now - g_last >= 10)
        run();
}

void pumpNow()
{
    run();
}

bool isDue(qint64 intervalMs)
{
    return g_last < 0 || clock().elapsed() - g_last >= intervalMs;
}

int runBlocking(const std::function<int()> &call)
{
    if (!QCoreApplication::instance())
        return call();
    std::future<int> result;
    try {
        result = std::async(std::launch::async, call);
    } catch (const std::system_error &) {
        return call(); // no thread to be had: wait here
    }
    while (result.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        pumpEvents();
    return result.get();
}

void resetGapStats()
{
    g_longest = 0;
    g_last = clock().elapsed();
}

qint64 longestGapMs()
{
    return g_longest;
}

} // namespace EventPump
