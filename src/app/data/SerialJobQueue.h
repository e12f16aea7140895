#pragma once

#include <QFuture>
#include <QPromise>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace tovra::app {

// A thread of its own that runs submitted jobs one at a time, in the order
// they were submitted, whichever threads submit them.
//
// A job's result, or the exception it threw, reaches the returned future
// unchanged: awaiting the future rethrows the job's own exception object, so
// its type and description survive the trip to the awaiting thread.
//
// Destruction runs the jobs still queued, then ends the thread, so every
// future that was handed out finishes.
class SerialJobQueue {
public:
    SerialJobQueue();
    ~SerialJobQueue();

    SerialJobQueue(const SerialJobQueue &) = delete;
    SerialJobQueue &operator=(const SerialJobQueue &) = delete;

    template <typename Job> auto submit(Job job) -> QFuture<std::invoke_result_t<Job &>>
    {
        using Result = std::invoke_result_t<Job &>;
        auto promise = std::make_shared<QPromise<Result>>();
        QFuture<Result> future = promise->future();
        promise->start();
        enqueue([promise, job = std::move(job)]() mutable {
            try {
                if constexpr (std::is_void_v<Result>)
                    job();
                else
                    promise->addResult(job());
            } catch (...) {
                promise->setException(std::current_exception());
            }
            promise->finish();
        });
        return future;
    }

    // Whether the caller runs on the queue's thread.
    bool isQueueThread() const noexcept { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    void enqueue(std::function<void()> job);
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace tovra::app
