#include "AwaitTask.h"
#include "DataStoreTestSupport.h"
#include "app/data/LocalStoreError.h"

#include <QCoreApplication>
#include <QThread>

#include <set>

namespace tovra::app::testing {
namespace {

using namespace std::chrono_literals;

using CoreDataStoreConcurrencyTest = CoreDataStoreFixture;

QString copiedText(int index)
{
    return QStringLiteral("copy number %1").arg(index);
}

// Many callers at once: while the first call's ledger work is held, the
// calling thread goes on and starts more calls; once released, every call
// runs on the store's one thread, after the one before it, in call order.
TEST_F(CoreDataStoreConcurrencyTest, ConcurrentCallsRunOneAtATimeInCallOrderOffTheCallingThread)
{
    constexpr int callCount = 24;
    auto [entered, release] = m_state->holdNextAccess();

    std::vector<QCoro::Task<std::optional<PendingSource>>> calls;
    calls.push_back(m_store->captureApplicationSource(textEditor(), copiedText(0), true));
    entered.wait();
    for (int index = 1; index < callCount; ++index) {
        m_clock->advance(1s);
        calls.push_back(m_store->captureApplicationSource(textEditor(), copiedText(index), index % 2 == 0));
    }
    release.set_value();

    std::vector<QUuid> ids;
    for (auto &call : calls) {
        const auto source = awaitTask(std::move(call));
        ASSERT_TRUE(source.has_value());
        ids.push_back(source->id);
    }

    const std::vector<std::thread::id> threads = m_state->threads();
    const std::set<std::thread::id> distinct(threads.cbegin(), threads.cend());
    EXPECT_EQ(distinct.size(), 1u);
    EXPECT_NE(*distinct.begin(), std::this_thread::get_id());
    EXPECT_EQ(m_state->mostAccessesAtOnce, 1);

    // Each call's capture time is the clock's time when it was called, so the
    // stored order shows the order in which the calls ran.
    const QList<PendingSource> stored = m_state->snapshot.pendingSources;
    ASSERT_EQ(stored.size(), callCount);
    for (int index = 0; index < callCount; ++index) {
        EXPECT_EQ(stored.at(index).id, ids.at(std::size_t(index)));
        EXPECT_EQ(stored.at(index).capturedAt, SimulatedClock::defaultStart().addSecs(index));
    }
}

TEST_F(CoreDataStoreConcurrencyTest, DifferentOperationsInFlightTogetherEachGetTheirOwnResult)
{
    auto [entered, release] = m_state->holdNextAccess();
    auto paused = m_store->setPaused(true);
    entered.wait();
    auto pausedStatus = m_store->currentPausedStatus();
    auto capture = m_store->captureApplicationSource(textEditor(), QStringLiteral("while paused"), true);
    auto resumed = m_store->setPaused(false);
    auto resumedStatus = m_store->currentPausedStatus();
    auto records = m_store->listRecords();
    release.set_value();

    awaitTask(std::move(paused));
    EXPECT_TRUE(awaitTask(std::move(pausedStatus)));
    EXPECT_FALSE(awaitTask(std::move(capture)).has_value());
    awaitTask(std::move(resumed));
    EXPECT_FALSE(awaitTask(std::move(resumedStatus)));
    EXPECT_TRUE(awaitTask(std::move(records)).isEmpty());
}

TEST_F(CoreDataStoreConcurrencyTest, AFailedCallDoesNotStopTheCallsQueuedBehindIt)
{
    auto [entered, release] = m_state->holdNextAccess();
    auto first = m_store->listRecords();
    entered.wait();
    auto failing = m_store->addDenylistEntry(DenylistEntryKind::domain, QStringLiteral("   "));
    auto after = m_store->captureApplicationSource(textEditor(), QStringLiteral("after the failure"), true);
    release.set_value();

    EXPECT_TRUE(awaitTask(std::move(first)).isEmpty());
    EXPECT_THROW(awaitTask(std::move(failing)), TovraError);
    EXPECT_TRUE(awaitTask(std::move(after)).has_value());
}

TEST_F(CoreDataStoreConcurrencyTest, DestroyingTheStoreFinishesTheCallsAlreadyMade)
{
    auto [entered, release] = m_state->holdNextAccess();
    std::vector<QCoro::Task<std::optional<PendingSource>>> calls;
    calls.push_back(m_store->captureApplicationSource(textEditor(), copiedText(0), true));
    entered.wait();
    for (int index = 1; index < 5; ++index)
        calls.push_back(m_store->captureApplicationSource(textEditor(), copiedText(index), true));

    std::thread releaser([release = std::move(release)]() mutable { release.set_value(); });
    m_store.reset();
    releaser.join();

    EXPECT_EQ(m_state->snapshot.pendingSources.size(), 5);
    for (auto &call : calls)
        EXPECT_TRUE(awaitTask(std::move(call)).has_value());
}

TEST_F(CoreDataStoreConcurrencyTest, StoppingFinishesTheCallsMadeThenRefusesLaterOnesWithoutTouchingTheLedger)
{
    auto [entered, release] = m_state->holdNextAccess();
    auto first = m_store->captureApplicationSource(textEditor(), copiedText(0), true);
    entered.wait();
    auto second = m_store->captureApplicationSource(textEditor(), copiedText(1), true);
    std::thread releaser([release = std::move(release)]() mutable { release.set_value(); });
    EXPECT_TRUE(m_store->stop(std::chrono::steady_clock::now() + std::chrono::minutes(1)));
    releaser.join();
    EXPECT_TRUE(awaitTask(std::move(first)).has_value());
    EXPECT_TRUE(awaitTask(std::move(second)).has_value());

    try {
        awaitTask(m_store->captureApplicationSource(textEditor(), copiedText(2), true));
        FAIL() << "a call after the stop was taken";
    } catch (const LocalStoreError &error) {
        EXPECT_EQ(error.kind(), LocalStoreError::Kind::stopped);
    }
    EXPECT_EQ(m_state->snapshot.pendingSources.size(), 2);
}

} // namespace
} // namespace tovra::app::testing
