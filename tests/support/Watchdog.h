#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Guards a test that a broken rule could keep running for ever (a decoding
// that never ends, a question that no one answers inside a run): when the
// scope it lives in has not ended after `limit`, it says which test ran too
// long and ends the test's process with a failure, within seconds, instead
// of leaving the suite to its time-out. A test that finishes in time never
// notices it.
class Watchdog
{
public:
    explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(10));
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};
