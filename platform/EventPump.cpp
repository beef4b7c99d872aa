#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

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
