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

} // namespace
} // namespace tovra::app::testing
