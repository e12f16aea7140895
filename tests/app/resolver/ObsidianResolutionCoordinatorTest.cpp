#include "app/resolver/ObsidianResolutionCoordinator.h"
#include "app/data/UnavailableTovraDataStore.h"
#include "app/resolver/ResolverError.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QThread>

#include <gtest/gtest.h>

#include <future>

namespace tovra {

class ObsidianResolutionCoordinatorTest : public ::testing::Test {
protected:
    using Coordinator = ObsidianResolutionCoordinator;
    using Citation = Coordinator::Citation;
    using PlainText = Coordinator::PlainText;
    using PendingKind = Coordinator::PendingKind;

    void SetUp() override
    {
        m_coordinator = std::make_shared<Coordinator>(
            std::make_shared<app::UnavailableTovraDataStore>(QStringLiteral("no ledger in this test")),
            [this](app::ProvenanceRecord record) { m_committed.push_back(std::move(record)); });
    }

    // Reads and writes the state on the coordinator's own thread, as its
    // operations do, and waits for the job.
    template <typename Job> auto submit(Job job) { return m_coordinator->m_executor.submit(std::move(job)); }

    template <typename Job> auto onExecutor(Job job)
    {
        auto future = submit(std::move(job));
        future.waitForFinished();
        if constexpr (!std::is_void_v<std::invoke_result_t<Job &>>)
            return future.result();
    }

    bool hasRecentChromeResolution()
    {
        return onExecutor([this] { return m_coordinator->m_recentChromeResolution.has_value(); });
    }

    void cacheChromeResolution()
    {
        onExecutor([this] {
            m_coordinator->m_recentChromeResolution = Coordinator::RecentChromeResolution { 41,
                QByteArray(32, '\x5a'), CitationSource {}, m_now.addSecs(3) };
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

    int pendingCount(const QDateTime &at) { return QCoro::waitFor(m_coordinator->pendingCount(at)); }

    // Fails the test unless `task` fails because the resolver is unavailable.
    template <typename Result> static void expectUnavailable(QCoro::Task<Result> task)
    {
        QCoro::waitFor([](QCoro::Task<Result> operation) -> QCoro::Task<void> {
            try {
                co_await std::move(operation);
                ADD_FAILURE() << "the operation succeeded";
            } catch (const ResolverError &error) {
                EXPECT_EQ(error.kind(), ResolverError::Kind::resolverUnavailable);
                EXPECT_EQ(error.code(), QStringLiteral("resolver_unavailable"));
                EXPECT_EQ(error.localizedDescription(),
                    QStringLiteral("The Obsidian resolver is not available in this version."));
            }
        }(std::move(task)));
    }

    const QDateTime m_now = QDateTime(QDate(2026, 12, 6), QTime(21, 22, 17, 123), Qt::UTC);
    std::shared_ptr<Coordinator> m_coordinator;
    std::vector<app::ProvenanceRecord> m_committed;
};

TEST_F(ObsidianResolutionCoordinatorTest, FreshCoordinatorHoldsNothing)
{
    EXPECT_EQ(pendingCount(m_now), 0);
    EXPECT_FALSE(hasRecentChromeResolution());
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_committed.empty());
}

TEST_F(ObsidianResolutionCoordinatorTest, EachInvalidationForgetsTheCachedResolutionAndNothingElse)
{
    // An empty cache stays empty.
    QCoro::waitFor(m_coordinator->invalidateRecentChromeResolution());
    EXPECT_FALSE(hasRecentChromeResolution());

    addPending(m_now.addSecs(3), Citation { CitationFormat::footnote });
    for (const char *change : { "pause", "denylist addition", "denylist removal" }) {
        SCOPED_TRACE(change);
        cacheChromeResolution();
        ASSERT_TRUE(hasRecentChromeResolution());
        QCoro::waitFor(m_coordinator->invalidateRecentChromeResolution());
        EXPECT_FALSE(hasRecentChromeResolution());
        EXPECT_EQ(pendingCount(m_now), 1);
        EXPECT_EQ(onlyPendingKind(), PendingKind(Citation { CitationFormat::footnote }));
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

TEST_F(ObsidianResolutionCoordinatorTest, ResolvingAndAcknowledgingFailWithoutTouchingTheState)
{
    cacheChromeResolution();
    addPending(m_now.addSecs(3), Citation { CitationFormat::callout });
    const QUuid requestID = QUuid::createUuid();
    const QUuid resolutionID = QUuid::createUuid();
    const QUuid sessionID = QUuid::createUuid();

    expectUnavailable(m_coordinator->resolve(requestID, sessionID, QStringLiteral("pasted text"), 12,
        CitationFormat::footnote, CitationLinkMode::webWhenAvailable, m_now));
    expectUnavailable(
        m_coordinator->acknowledge(requestID, resolutionID, sessionID, CitationFormat::inline_, m_now));
    expectUnavailable(m_coordinator->acknowledgePlainText(requestID, resolutionID, sessionID, m_now));

    EXPECT_TRUE(hasRecentChromeResolution());
    EXPECT_EQ(pendingCount(m_now), 1);
    EXPECT_EQ(onlyPendingKind(), PendingKind(Citation { CitationFormat::callout }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_committed.empty());
}

TEST_F(ObsidianResolutionCoordinatorTest, FailuresComeFromTheCoordinatorsThreadAfterEarlierJobs)
{
    // Queued behind a job that is still running: the failure must wait for
    // it, so it comes from the coordinator's queue, not from the caller.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    QThread *workedOn = nullptr;
    const QFuture<void> blocker = submit([released, &workedOn] {
        released.wait();
        workedOn = QThread::currentThread();
    });

    QThread *const mainThread = QThread::currentThread();
    QThread *resumedOn = nullptr;
    std::optional<ResolverError::Kind> failure;
    const auto acknowledgeFromMain = [&]() -> QCoro::Task<void> {
        try {
            co_await m_coordinator->acknowledgePlainText(
                QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid(), m_now);
        } catch (const ResolverError &error) {
            failure = error.kind();
        }
        resumedOn = QThread::currentThread();
    };
    QCoro::Task<void> acknowledgement = acknowledgeFromMain();
    QCoreApplication::processEvents();
    EXPECT_EQ(resumedOn, nullptr);

    release.set_value();
    QCoro::waitFor(std::move(acknowledgement));
    EXPECT_TRUE(blocker.isFinished());
    EXPECT_NE(workedOn, mainThread);
    EXPECT_EQ(failure, ResolverError::Kind::resolverUnavailable);
    EXPECT_EQ(resumedOn, mainThread);
}

} // namespace tovra
