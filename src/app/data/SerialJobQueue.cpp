#include "app/data/SerialJobQueue.h"

namespace tovra::app {

SerialJobQueue::SerialJobQueue()
    : m_thread([this] { run(); })
    , m_threadId(m_thread.get_id())
{
}

SerialJobQueue::~SerialJobQueue()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void SerialJobQueue::enqueue(Entry entry)
{
    std::exception_ptr refusal;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_refusal) {
            m_jobs.push_back(std::move(entry));
            m_wake.notify_one();
            return;
        }
        refusal = m_refusal;
    }
    entry.refuse(refusal);
}

bool SerialJobQueue::stop(Deadline deadline, std::exception_ptr refusal)
{
    std::unique_lock lock(m_mutex);
    m_refusal = std::move(refusal);
    m_deadline = deadline;
    m_stopping = true;
    m_wake.notify_one();
    if (!m_ended.wait_until(lock, deadline, [this] { return m_hasEnded; }))
        return false;
    lock.unlock();
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

void SerialJobQueue::run()
{
    for (;;) {
        Entry entry;
        std::exception_ptr refusal;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty()) {
                m_hasEnded = true;
                m_ended.notify_all();
                return;
            }
            entry = std::move(m_jobs.front());
            m_jobs.pop_front();
            if (m_deadline && std::chrono::steady_clock::now() >= *m_deadline)
                refusal = m_refusal;
        }
        if (refusal)
            entry.refuse(refusal);
        else
            entry.run();
    }
}

} // namespace tovra::app
