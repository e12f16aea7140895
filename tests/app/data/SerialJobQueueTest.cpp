#include "app/data/SerialJobQueue.h"
#include "AwaitTask.h"

#include <QCoroFuture>

#include <gtest/gtest.h>

#include <future>
#include <numeric>
#include <set>
#include <stdexcept>
#include <vector>

namespace tovra::app::testing {
namespace {

class DescribedFailure : public std::runtime_error {
public:
    DescribedFailure(const std::string &what, int code)
        : std::runtime_error(what)
        , code(code)
    {
    }
    int code;
};

TEST(SerialJobQueueTest, RunsJobsInSubmissionOrderOnOneThreadOfItsOwn)
{
    SerialJobQueue queue;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    std::vector<QFuture<int>> futures;
    for (int index = 0; index < 50; ++index) {
        futures.push_back(queue.submit([&, index] {
            order.push_back(index);
            threads.push_back(std::this_thread::get_id());
            EXPECT_TRUE(queue.isQueueThread());
            return index * 2;
        }));
    }
    std::vector<int> expected(50);
    std::iota(expected.begin(), expected.end(), 0);
    for (const int index : expected)
        EXPECT_EQ(futures.at(std::size_t(index)).result(), index * 2);
    EXPECT_EQ(order, expected);
    EXPECT_EQ(std::set<std::thread::id>(threads.cbegin(), threads.cend()).size(), 1u);
    EXPECT_NE(threads.front(), std::this_thread::get_id());
    EXPECT_FALSE(queue.isQueueThread());
}

TEST(SerialJobQueueTest, AJobsOwnExceptionReachesTheAwaitingCoroutine)
{
    SerialJobQueue queue;
    auto valueJob = [&]() -> QCoro::Task<int> {
        co_return co_await queue.submit(
            []() -> int { throw DescribedFailure("ledger file unreadable", 13); });
    };
    auto voidJob = [&]() -> QCoro::Task<void> {
        co_await queue.submit([] { throw DescribedFailure("write failed", 28); });
    };
    try {
        awaitTask(valueJob());
        FAIL() << "the job's exception was lost";
    } catch (const DescribedFailure &failure) {
        EXPECT_STREQ(failure.what(), "ledger file unreadable");
        EXPECT_EQ(failure.code, 13);
    }
    try {
        awaitTask(voidJob());
        FAIL() << "the void job's exception was lost";
    } catch (const DescribedFailure &failure) {
        EXPECT_EQ(failure.code, 28);
    }
}

TEST(SerialJobQueueTest, DestructionRunsTheJobsStillQueued)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<int> ran;
    std::vector<QFuture<void>> futures;
    {
        SerialJobQueue queue;
        futures.push_back(queue.submit([released] { released.wait(); }));
        for (int index = 0; index < 10; ++index)
            futures.push_back(queue.submit([&ran, index] { ran.push_back(index); }));
        release.set_value();
    }
    EXPECT_EQ(ran.size(), 10u);
    for (const QFuture<void> &future : futures)
        EXPECT_TRUE(future.isFinished());
}

class Refused : public std::runtime_error {
public:
    Refused()
        : std::runtime_error("the queue is stopping")
    {
    }
};

template <typename T> bool failsWithRefusal(QFuture<T> future)
{
    try {
        future.waitForFinished();
        return false;
    } catch (const Refused &) {
        return true;
    }
}

SerialJobQueue::Deadline inAMinute()
{
    return std::chrono::steady_clock::now() + std::chrono::minutes(1);
}

TEST(SerialJobQueueTest, StopFinishesTheQueuedJobsEndsTheThreadAndRefusesLaterJobs)
{
    SerialJobQueue queue;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<int> ran;
    QFuture<void> first = queue.submit([released] { released.wait(); });
    std::vector<QFuture<int>> queued;
    for (int index = 0; index < 5; ++index)
        queued.push_back(queue.submit([&ran, index] {
            ran.push_back(index);
            return index;
        }));
    release.set_value();

    EXPECT_TRUE(queue.stop(inAMinute(), std::make_exception_ptr(Refused())));
    EXPECT_EQ(ran, (std::vector<int> { 0, 1, 2, 3, 4 }));
    EXPECT_TRUE(first.isFinished());
    EXPECT_EQ(queued.back().result(), 4);

    bool ranLate = false;
    QFuture<int> late = queue.submit([&ranLate] {
        ranLate = true;
        return 1;
    });
    EXPECT_TRUE(failsWithRefusal(late));
    EXPECT_FALSE(ranLate);
}

TEST(SerialJobQueueTest, AJobStillRunningAtTheDeadlineMakesStopReturnFalseAndTheJobsBehindItNeverRun)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> started;
    bool behindRan = false;
    QFuture<void> behind;
    {
        SerialJobQueue queue;
        QFuture<void> running = queue.submit([released, &started] {
            started.set_value();
            released.wait();
        });
        behind = queue.submit([&behindRan] { behindRan = true; });
        started.get_future().wait();

        // The deadline has passed: stop waits for nothing.
        EXPECT_FALSE(queue.stop(std::chrono::steady_clock::now(), std::make_exception_ptr(Refused())));
        EXPECT_FALSE(running.isFinished());
        EXPECT_TRUE(failsWithRefusal(queue.submit([] {})));

        // The running job is finished by the thread on its own; the one
        // behind it was not started by the deadline and is refused.
        release.set_value();
        running.waitForFinished();
    }
    EXPECT_TRUE(failsWithRefusal(behind));
    EXPECT_FALSE(behindRan);
}

TEST(SerialJobQueueTest, StopOnAnIdleQueueEndsItsThreadAtOnce)
{
    SerialJobQueue queue;
    EXPECT_TRUE(queue.stop(inAMinute(), std::make_exception_ptr(Refused())));
    EXPECT_TRUE(failsWithRefusal(queue.submit([] { return 3; })));
}

} // namespace
} // namespace tovra::app::testing
