#include "host/demo/Feed.h"

namespace demo {

Feed::Feed(BackOffice& office, host::TestHost& host) : m_office(office), m_host(host) {}

Feed::~Feed() {
    Stop();
}

void Feed::Start(std::chrono::milliseconds period) {
    if (m_thread.joinable()) {
        return;
    }
    m_stop = false;
    m_thread = std::thread(&Feed::Run, this, period);
}

void Feed::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void Feed::Run(std::chrono::milliseconds period) {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, period, [this] { return m_stop; })) {
        lock.unlock();
        const BackOffice::Move move = m_office.Step();
        // The host reports only the funds it has handed out; the rest move unseen until queried.
        if (m_office.Published(move.account)) {
            m_host.SpiFundsNotice(move.currencyRecord);
            m_host.SpiFundsNotice(move.baseRecord);
            m_notices += 2;
        }
        lock.lock();
    }
}

} // namespace demo
