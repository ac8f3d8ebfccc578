#pragma once
// The market feed: a thread of its own that moves the back office's figures a few times a
// second and reports each changed funds record through ITradeSpi slot 14, as the
// terminal's trade-data service does from its network thread.
#include "host/TestHost.h"
#include "host/demo/BackOffice.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace demo {

class Feed {
public:
    Feed(BackOffice& office, host::TestHost& host);
    ~Feed();
    Feed(const Feed&) = delete;
    Feed& operator=(const Feed&) = delete;

    void Start(std::chrono::milliseconds period = std::chrono::milliseconds(125));
    // Returns once the thread has ended; no notice is sent afterwards.
    void Stop();
    // Funds notices sent since the previous call.
    unsigned TakeNoticeCount() { return m_notices.exchange(0); }

private:
    void Run(std::chrono::milliseconds period);

    BackOffice& m_office;
    host::TestHost& m_host;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::atomic<unsigned> m_notices{0};
};

} // namespace demo
