#include "app/resolver/ObsidianResolutionCoordinator.h"
#include "app/data/UnavailableTovraDataStore.h"
#include "app/resolver/ResolverError.h"
#include "app/resolver/ResolverSocketServer.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QThread>

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace tovra {

class ObsidianResolutionCoordinatorTest : public ::testing::Test {
protected:
    using Coordinator = ObsidianResolutionCoordinator;
    using Citation = Coordinator::Citation;
    using PlainText = Coordinator::PlainText;
    using PendingKind = Coordinator::PendingKind;

    void SetUp() override
    {
        m_provider
            = std::make_shared<app::UnavailableTovraDataStore>(QStringLiteral("no ledger in this test"));
        m_coordinator = std::make_shared<Coordinator>(
            m_provider, [this](app::ProvenanceRecord record) { m_committed.push_back(std::move(record)); });
    }

    // Reads and writes the state on the coordinator's own thread, as its
    // operations do, and waits for the job.
    template <typename Job> auto onExecutor(Job job)
    {
        auto future = m_coordinator->m_executor.submit(std::move(job));
        future.waitForFinished();
        if constexpr (!std::is_void_v<std::invoke_result_t<Job &>>)
            return future.result();
    }

    // The invalidation's own job, submitted directly from any thread.
    QFuture<void> submitInvalidation()
    {
        return m_coordinator->m_executor.submit([this] { m_coordinator->m_recentChromeResolution.reset(); });
    }

    const std::shared_ptr<app::TovraAppDataProviding> &dataProvider() const
    {
        return m_coordinator->m_dataProvider;
    }

    bool hasRecentChromeResolution()
    {
        return onExecutor([this] { return m_coordinator->m_recentChromeResolution.has_value(); });
    }

    void cacheChromeResolution(qint64 changeCount)
    {
        onExecutor([this, changeCount] {
            CitationSource source;
            source.traceID = QUuid::createUuid();
            source.sourceID = QUuid::createUuid();
            source.captureMethod = CaptureMethod::chromeExtension;
            source.sanitizedURL = QStringLiteral("https://example.com/article");
            source.capturedAt = m_now;
            source.expiresAt = m_now.addSecs(600);
            m_coordinator->m_recentChromeResolution = Coordinator::RecentChromeResolution { changeCount,
                QByteArray(32, '\x5a'), source, m_now.addSecs(3) };
        });
    }

    void addPending(QDateTime expiresAt, PendingKind kind = PlainText {})
    {
        onExecutor([this, expiresAt, kind] {
            m_coordinator->m_pending.insert(QUuid::createUuid(),
                Coordinator::PendingResolution {
                    QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid(), kind, expiresAt });
        });
    }

    PendingKind onlyPendingKind()
    {
        return onExecutor([this] { return m_coordinator->m_pending.begin()->kind; });
    }

    QThread *executorThread()
    {
        return onExecutor([] { return QThread::currentThread(); });
    }

    int pendingCount(const QDateTime &at) { return QCoro::waitFor(m_coordinator->pendingCount(at)); }

    // Awaits `task` and returns the kind of the ResolverError it failed with;
    // fails the test when the task succeeds or fails with another error.
    template <typename Result> std::optional<ResolverError::Kind> resolverFailure(QCoro::Task<Result> task)
    {
        std::optional<ResolverError::Kind> kind;
        QCoro::waitFor(awaitFailure(std::move(task), kind));
        return kind;
    }

    template <typename Result>
    static QCoro::Task<void> awaitFailure(QCoro::Task<Result> task, std::optional<ResolverError::Kind> &kind)
    {
        try {
            co_await std::move(task);
            ADD_FAILURE() << "the operation succeeded";
        } catch (const ResolverError &error) {
            EXPECT_EQ(error.localizedDescription(),
                QStringLiteral("The Obsidian resolver is not available in this version."));
            EXPECT_EQ(error.code(), QStringLiteral("resolver_unavailable"));
            kind = error.kind();
        } catch (const std::exception &error) {
            ADD_FAILURE() << "failed with another error: " << error.what();
        }
    }

    // Occupies the coordinator's thread until `released` is ready.
    QFuture<void> blockExecutor(std::shared_future<void> released)
    {
        return m_coordinator->m_executor.submit([released] { released.wait(); });
    }

    const QDateTime m_now = QDateTime(QDate(2026, 12, 6), QTime(21, 22, 17, 123), Qt::UTC);
    std::shared_ptr<app::TovraAppDataProviding> m_provider;
    std::shared_ptr<Coordinator> m_coordinator;
    std::vector<app::ProvenanceRecord> m_committed;
};

TEST_F(ObsidianResolutionCoordinatorTest, FreshCoordinatorHoldsNothing)
{
    EXPECT_EQ(dataProvider(), m_provider);
    EXPECT_EQ(pendingCount(m_now), 0);
    EXPECT_FALSE(hasRecentChromeResolution());
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_committed.empty());
}

TEST_F(ObsidianResolutionCoordinatorTest, InvalidationForgetsTheCachedResolutionAndNothingElse)
{
    cacheChromeResolution(41);
    addPending(m_now.addSecs(3), Citation { CitationFormat::footnote });
    ASSERT_TRUE(hasRecentChromeResolution());

    QCoro::waitFor(m_coordinator->invalidateRecentChromeResolution());

    EXPECT_FALSE(hasRecentChromeResolution());
    EXPECT_EQ(pendingCount(m_now), 1);
    EXPECT_EQ(onlyPendingKind(), PendingKind(Citation { CitationFormat::footnote }));
    EXPECT_NE(onlyPendingKind(), PendingKind(Citation { CitationFormat::inline_ }));
    EXPECT_NE(onlyPendingKind(), PendingKind(PlainText {}));
}

TEST_F(ObsidianResolutionCoordinatorTest, InvalidatingAnEmptyCacheDoesNothing)
{
    QCoro::waitFor(m_coordinator->invalidateRecentChromeResolution());
    QCoro::waitFor(m_coordinator->invalidateRecentChromeResolution());
    EXPECT_FALSE(hasRecentChromeResolution());
    EXPECT_EQ(pendingCount(m_now), 0);
}

TEST_F(ObsidianResolutionCoordinatorTest, EachInvalidationEmptiesWhateverWasCachedBeforeIt)
{
    // What a pause, a denylist addition and a removal each do in turn.
    for (int change = 0; change < 3; ++change) {
        SCOPED_TRACE(change);
        cacheChromeResolution(100 + change);
        ASSERT_TRUE(hasRecentChromeResolution());
        QCoro::waitFor(m_coordinator->invalidateRecentChromeResolution());
        EXPECT_FALSE(hasRecentChromeResolution());
    }
}

TEST_F(ObsidianResolutionCoordinatorTest, PendingResolutionsCountUntilTheyExpire)
{
    addPending(m_now);
    addPending(m_now.addMSecs(1000));
    addPending(m_now.addMSecs(3000), Citation { CitationFormat::callout });

    EXPECT_EQ(pendingCount(m_now.addMSecs(-1)), 3);
    EXPECT_EQ(pendingCount(m_now), 2);
    EXPECT_EQ(pendingCount(m_now.addMSecs(999)), 2);
    EXPECT_EQ(pendingCount(m_now.addMSecs(1000)), 1);
    EXPECT_EQ(pendingCount(m_now.addMSecs(3000)), 0);
}

TEST_F(ObsidianResolutionCoordinatorTest, WorkRunsOnTheCoordinatorsThreadAndResumesOnTheCallers)
{
    QThread *const mainThread = QThread::currentThread();
    QThread *resumedOn = nullptr;
    const auto invalidateFromMain = [&]() -> QCoro::Task<void> {
        co_await m_coordinator->invalidateRecentChromeResolution();
        resumedOn = QThread::currentThread();
    };
    QCoro::waitFor(invalidateFromMain());
    EXPECT_EQ(resumedOn, mainThread);
    EXPECT_NE(executorThread(), mainThread);
    EXPECT_NE(executorThread(), nullptr);
}

TEST_F(ObsidianResolutionCoordinatorTest, InvalidationsFromSeveralThreadsAllFinish)
{
    cacheChromeResolution(7);
    std::vector<QFuture<void>> jobs(4);
    std::vector<std::thread> callers;
    for (std::size_t index = 0; index < jobs.size(); ++index)
        callers.emplace_back([this, &jobs, index] { jobs[index] = submitInvalidation(); });
    for (std::thread &caller : callers)
        caller.join();
    for (QFuture<void> &job : jobs)
        job.waitForFinished();
    EXPECT_FALSE(hasRecentChromeResolution());
}

TEST_F(ObsidianResolutionCoordinatorTest, ResolvingAndAcknowledgingFailWithoutTouchingTheState)
{
    cacheChromeResolution(12);
    addPending(m_now.addSecs(3), Citation { CitationFormat::callout });
    const QUuid requestID = QUuid::createUuid();
    const QUuid resolutionID = QUuid::createUuid();
    const QUuid sessionID = QUuid::createUuid();

    EXPECT_EQ(resolverFailure(m_coordinator->resolve(requestID, sessionID, QStringLiteral("pasted text"), 12,
                  CitationFormat::footnote, CitationLinkMode::webWhenAvailable, m_now)),
        ResolverError::Kind::resolverUnavailable);
    EXPECT_EQ(resolverFailure(m_coordinator->acknowledge(
                  requestID, resolutionID, sessionID, CitationFormat::inline_, m_now)),
        ResolverError::Kind::resolverUnavailable);
    EXPECT_EQ(resolverFailure(m_coordinator->acknowledgePlainText(requestID, resolutionID, sessionID, m_now)),
        ResolverError::Kind::resolverUnavailable);

    EXPECT_TRUE(hasRecentChromeResolution());
    EXPECT_EQ(pendingCount(m_now), 1);
    EXPECT_EQ(onlyPendingKind(), PendingKind(Citation { CitationFormat::callout }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_committed.empty());
}

TEST_F(ObsidianResolutionCoordinatorTest, FailuresReachTheCallerOnItsOwnThreadAfterEarlierJobs)
{
    // Queued behind a job that is still running: the failure must wait for
    // it, so it comes from the coordinator's queue, not from the caller.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const QFuture<void> blocker = blockExecutor(released);

    QThread *const mainThread = QThread::currentThread();
    QThread *resumedOn = nullptr;
    std::optional<ResolverError::Kind> failure;
    bool finished = false;
    const auto acknowledgeFromMain = [&]() -> QCoro::Task<void> {
        try {
            co_await m_coordinator->acknowledgePlainText(
                QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid(), m_now);
        } catch (const ResolverError &error) {
            failure = error.kind();
        }
        resumedOn = QThread::currentThread();
        finished = true;
    };
    QCoro::Task<void> acknowledgement = acknowledgeFromMain();
    QCoreApplication::processEvents();
    EXPECT_FALSE(finished);

    release.set_value();
    QCoro::waitFor(std::move(acknowledgement));
    EXPECT_TRUE(blocker.isFinished());
    EXPECT_TRUE(finished);
    EXPECT_EQ(failure, ResolverError::Kind::resolverUnavailable);
    EXPECT_EQ(resumedOn, mainThread);
}

TEST_F(ObsidianResolutionCoordinatorTest, ServerKeepsTheCoordinatorItWasGiven)
{
    {
        ResolverSocketServer server(
            m_coordinator, QStringLiteral("/nonexistent/resolver-v1.sock"),
            [](qint32) { return std::optional<ResolverPeerIdentity>(); }, nullptr, nullptr,
            [](ResolverServerStatus) {});
        EXPECT_EQ(m_coordinator.use_count(), 2);
        server.stop();
        QCoreApplication::processEvents();
        EXPECT_EQ(m_coordinator.use_count(), 2);
    }
    EXPECT_EQ(m_coordinator.use_count(), 1);
}

} // namespace tovra
