#pragma once

#include <QFuture>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace tovra {

// Where work too long for the GUI thread runs: a thread of its own in the
// app; in tests, in place or when the test says, so that what happens to the
// desktop meanwhile is the test's to choose.
class BackgroundWork {
public:
    virtual ~BackgroundWork() = default;

    // Runs `job` once, on this runner's thread.
    virtual void start(std::function<void()> job) = 0;

    // `job`'s result, as a future that a coroutine on the GUI thread awaits.
    template <typename T> QFuture<T> run(std::function<T()> job)
    {
        auto promise = std::make_shared<QPromise<T>>();
        QFuture<T> future = promise->future();
        promise->start();
        start([promise, job = std::move(job)] {
            promise->addResult(job());
            promise->finish();
        });
        return future;
    }
};

// One thread of a pool of its own: jobs run one at a time, in order. Its
// end waits for every job given, so that each future gets its result.
class PooledBackgroundWork final : public BackgroundWork {
public:
    PooledBackgroundWork();

    void start(std::function<void()> job) override;

private:
    QThreadPool m_pool;
};

} // namespace tovra
