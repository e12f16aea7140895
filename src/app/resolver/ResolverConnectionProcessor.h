#pragma once

#include "app/data/SerialJobQueue.h"
#include "app/resolver/ResolverConnectionSession.h"
#include "core/resolver/ResolverRequest.h"

#include <QByteArray>
#include <QCoroTask>

#include <memory>
#include <optional>

namespace tovra {

class ObsidianResolutionCoordinator;
class ResolverEnvironmentProviding;

// Answers the requests of one resolver connection. Its state is touched only
// on its own thread, one job at a time; callers await their answers and
// resume on their own thread.
class ResolverConnectionProcessor {
public:
    ResolverConnectionProcessor(std::shared_ptr<ObsidianResolutionCoordinator> coordinator,
        std::shared_ptr<ResolverEnvironmentProviding> environment);

    ResolverConnectionProcessor(const ResolverConnectionProcessor &) = delete;
    ResolverConnectionProcessor &operator=(const ResolverConnectionProcessor &) = delete;

    // The encoded response to `request`. Never fails: whatever goes wrong is
    // answered with an error response carrying the request's identifier. This
    // version serves no request type, so every answer is an
    // "unsupported_request" error.
    QCoro::Task<QByteArray> process(const ResolverRequest &request);

private:
    friend class ResolverConnectionProcessorTest;

    std::shared_ptr<ObsidianResolutionCoordinator> m_coordinator;
    std::shared_ptr<ResolverEnvironmentProviding> m_environment;
    // Absent until the plug-in sets up a session on this connection.
    std::optional<ResolverConnectionSession> m_session;
    // Declared last: destroyed first, so jobs still queued find the state.
    app::SerialJobQueue m_executor;
};

} // namespace tovra
