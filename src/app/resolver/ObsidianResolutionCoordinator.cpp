#include "app/resolver/ObsidianResolutionCoordinator.h"

#include "app/data/AsyncTask.h"
#include "app/data/TovraAppDataProviding.h"
#include "app/resolver/ResolverError.h"

#include <algorithm>

namespace tovra {

// The operations are plain functions that put a job on the executor and
// return a task awaiting it, so none of their arguments lives in a coroutine
// frame. Jobs still queued when the coordinator goes are run by the
// executor's destructor while the state is still there.

ObsidianResolutionCoordinator::ObsidianResolutionCoordinator(
    std::shared_ptr<app::TovraAppDataProviding> dataProvider, CommitHandler onCommit)
    : m_dataProvider(std::move(dataProvider))
    , m_onCommit(std::move(onCommit))
{
}

QCoro::Task<void> ObsidianResolutionCoordinator::invalidateRecentChromeResolution()
{
    return app::async::awaitFuture(m_executor.submit([this] { m_recentChromeResolution.reset(); }));
}

QCoro::Task<int> ObsidianResolutionCoordinator::pendingCount(QDateTime at)
{
    return app::async::awaitFuture(m_executor.submit([this, at = std::move(at)] {
        return static_cast<int>(std::count_if(m_pending.cbegin(), m_pending.cend(),
            [&at](const PendingResolution &pending) { return at < pending.expiresAt; }));
    }));
}

QCoro::Task<ResolverCitationPlan> ObsidianResolutionCoordinator::resolve(
    QUuid, QUuid, QString, qint64, CitationFormat, CitationLinkMode, QDateTime)
{
    return app::async::awaitFuture(
        m_executor.submit([]() -> ResolverCitationPlan { throw ResolverError::resolverUnavailable(); }));
}

QCoro::Task<ResolverAckAccepted> ObsidianResolutionCoordinator::acknowledge(
    QUuid, QUuid, QUuid, CitationFormat, QDateTime)
{
    return app::async::awaitFuture(
        m_executor.submit([]() -> ResolverAckAccepted { throw ResolverError::resolverUnavailable(); }));
}

QCoro::Task<ResolverAckAccepted> ObsidianResolutionCoordinator::acknowledgePlainText(
    QUuid, QUuid, QUuid, QDateTime)
{
    return app::async::awaitFuture(
        m_executor.submit([]() -> ResolverAckAccepted { throw ResolverError::resolverUnavailable(); }));
}

} // namespace tovra
