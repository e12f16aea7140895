#pragma once

#include <QFuture>
#include <QPromise>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
    using Deadline = std::chrono::steady_clock::time_point;

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
        enqueue(Entry {
            [promise, job = std::move(job)]() mutable {
                try {
                    if constexpr (std::is_void_v<Result>)
                        job();
                    else
                        promise->addResult(job());
                } catch (...) {
                    promise->setException(std::current_exception());
                }
                promise->finish();
            },
            [promise](const std::exception_ptr &refusal) {
                promise->setException(refusal);
                promise->finish();
            },
        });
        return future;
    }

    // Stops taking jobs: from now on a submitted job fails at once with
    // `refusal`. The jobs already queued still run, one after the other,
    // until `deadline`; those not started by then fail with `refusal` and
    // never run. Returns true once the thread has ended; false when a job
    // still runs at the deadline. The thread then finishes that job on its
    // own, and the queue must outlive it: the caller ends the process
    // without destroying the queue.
    bool stop(Deadline deadline, std::exception_ptr refusal);

    // Whether the caller runs on the queue's thread.
    bool isQueueThread() const noexcept { return std::this_thread::get_id() == m_threadId; }

private:
    struct Entry {
        std::function<void()> run;
        std::function<void(const std::exception_ptr &)> refuse;
    };

    void enqueue(Entry entry);
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_ended;
    std::deque<Entry> m_jobs;
    bool m_stopping = false;
    bool m_hasEnded = false;
    std::exception_ptr m_refusal;
    std::optional<Deadline> m_deadline;
    std::thread m_thread;
    std::thread::id m_threadId;
};

} // namespace tovra::app
