#include "app/resolver/ObsidianResolutionCoordinator.h"

#include "app/data/TovraAppDataProviding.h"

#include <QCoroFuture>

#include <algorithm>

namespace tovra {

ObsidianResolutionCoordinator::ObsidianResolutionCoordinator(
    std::shared_ptr<app::TovraAppDataProviding> dataProvider, CommitHandler onCommit)
    : m_dataProvider(std::move(dataProvider))
    , m_onCommit(std::move(onCommit))
{
}

QCoro::Task<void> ObsidianResolutionCoordinator::invalidateRecentChromeResolution()
{
    co_await m_executor.submit([this] { m_recentChromeResolution.reset(); });
}

QCoro::Task<int> ObsidianResolutionCoordinator::pendingCount(QDateTime at)
{
    co_return co_await m_executor.submit([this, at = std::move(at)] {
        return static_cast<int>(std::count_if(m_pending.cbegin(), m_pending.cend(),
            [&at](const PendingResolution &pending) { return at < pending.expiresAt; }));
    });
}

} // namespace tovra
