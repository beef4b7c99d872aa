#pragma once

#include <QtGlobal>

// Long work runs on the GUI thread and lets window events run as it goes, so
// the window repaints and its cancel button works. Running the event loop
// after every byte would be ruinous; pumpEvents() runs it only when about
// 10 ms have passed since it last ran, so loops can call it as often as they
// like.
namespace EventPump {

void pumpEvents();

// Runs pending events now, whatever the time since the last run.
void pumpNow();

// The longest time between two runs of the event loop by the pump since
// resetGapStats(), in milliseconds. Benchmarks report it.
void resetGapStats();
qint64 longestGapMs();

} // namespace EventPump

// What a long loop needs from whoever runs it: a progress bar, a cancel flag
// and the event pump. Windows implement it with their controls; tests with a
// plain struct.
class Progress
{
public:
    virtual ~Progress() = default;
    virtual void setRange(qint64 minimum, qint64 maximum) = 0;
    virtual void setValue(qint64 value) = 0;
    virtual bool cancelled() const = 0;
    virtual void pump() { EventPump::pumpEvents(); }
};

// A progress that shows nothing and is never cancelled.
class NoProgress final : public Progress
{
public:
    void setRange(qint64, qint64) override {}
    void setValue(qint64) override {}
    bool cancelled() const override { return false; }
    void pump() override {}
};
