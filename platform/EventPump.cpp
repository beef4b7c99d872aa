#include "platform/EventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
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
// The gap figures: the longest time between two runs of the event loop,
// and the last run (by the pump or by any event loop, a dialog's included).
qint64 g_longest = 0;
qint64 g_lastRun = -1;
bool g_watching = false;

void noteRun()
{
    const qint64 now = clock().elapsed();
    if (g_lastRun >= 0 && now - g_lastRun > g_longest)
        g_longest = now - g_lastRun;
    g_lastRun = now;
}

void run()
{
    noteRun();
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    g_last = clock().elapsed();
    g_lastRun = g_last;
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
    // An event loop of its own (a dialog's) runs events too.
    if (!g_watching && QCoreApplication::instance()) {
        if (QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance()) {
            QObject::connect(d, &QAbstractEventDispatcher::awake, d, [] { noteRun(); }, Qt::DirectConnection);
            g_watching = true;
        }
    }
    g_longest = 0;
    g_lastRun = clock().elapsed();
}

qint64 longestGapMs()
{
    // The time since the last run counts too: the work may have let no
    // event run at all.
    return std::max(g_longest, g_lastRun >= 0 ? clock().elapsed() - g_lastRun : 0);
}

} // namespace EventPump
