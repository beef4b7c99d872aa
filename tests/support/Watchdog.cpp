#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

Watchdog::Watchdog(std::chrono::seconds limit)
{
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = info ? std::string(info->test_suite_name()) + '.' + info->name() : std::string("the test");
    m_thread = std::thread([this, limit, name] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_done.wait_for(lock, limit, [this] { return m_finished; }))
            return;
        // The test's own thread is stuck: nothing it holds can be unwound
        // from here, so the process ends, reported as a failure.
        std::fprintf(stderr, "\n[  FAILED  ] %s: still running after %lld s; a loop that should end did not\n",
                     name.c_str(), static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::fflush(stdout);
        std::_Exit(1);
    });
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_one();
    m_thread.join();
}
