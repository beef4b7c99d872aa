#pragma once

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <functional>

// Long work runs on the GUI thread and lets window events run as it goes, so
// the window repaints and its cancel button works. Running the event loop
// after every byte would be ruinous; pumpEvents() runs it only when about
// 10 ms have passed since it last ran, so loops can call it as often as they
// like.
namespace EventPump {

void pumpEvents();

// Runs pending events now, whatever the time since the last run.
void pumpNow();

// True when `intervalMs` or more have passed since the pump last ran the
// event loop (or it never ran). A loop that must finish something before the
// window may act (a batch of work to commit) asks this, finishes, then calls
// pumpNow().
bool isDue(qint64 intervalMs);

// Runs `call`, a system call that may block for long (a flush to the disk,
// which also waits for whatever else is waiting to be written there), on a
// helper thread and lets window events run through the pump until it
// returns; then gives its result. `call` touches no Qt object. Without an
// application object it simply runs here.
int runBlocking(const std::function<int()> &call);

// The longest time the event loop did not run since resetGapStats() (by the
// pump or by an event loop of its own, a dialog's), up to now, in
// milliseconds. Benchmarks report it.
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
    // A running caption or count of the loop, by the loop's own numbering of
    // its captions (a window shows each in its own label). Shows nothing
    // unless the window wants it.
    virtual void setCaption(int slot, const QString &text)
    {
        Q_UNUSED(slot);
        Q_UNUSED(text);
    }
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

// A progress that shows nothing and is never cancelled, but lets events run
// at each pump.
class PumpingProgress final : public Progress
{
public:
    void setRange(qint64, qint64) override {}
    void setValue(qint64) override {}
    bool cancelled() const override { return false; }
};

// Lets go of a long list's elements (a QList or a std::vector) a piece at a
// time with events run between the pieces, and leaves it empty: a million
// names take a while to free.
template <typename List>
void releaseInPieces(List &list, Progress &progress)
{
    constexpr qsizetype kPiece = 4096;
    while (!list.empty()) {
        const qsizetype n = std::min(qsizetype(list.size()), kPiece);
        list.erase(list.end() - n, list.end());
        progress.pump();
    }
    List().swap(list);
}

// The same for a QHash or a QSet: its elements erased a piece at a time.
template <typename Hash>
void releaseHashInPieces(Hash &hash, Progress &progress)
{
    int n = 0;
    for (auto it = hash.begin(); it != hash.end();) {
        it = hash.erase(it);
        if (++n == 4096) {
            n = 0;
            progress.pump();
        }
    }
    Hash().swap(hash);
}
