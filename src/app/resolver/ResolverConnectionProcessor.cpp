#include "app/resolver/ResolverConnectionProcessor.h"

#include "app/data/AsyncTask.h"
#include "app/resolver/ObsidianResolutionCoordinator.h"
#include "app/resolver/ResolverEnvironmentProviding.h"
#include "app/resolver/ResolverError.h"
#include "core/records/TovraJson.h"
#include "core/resolver/ResolverResponses.h"

namespace tovra {

namespace {

QByteArray encodedErrorResponse(const QUuid &requestID, const ResolverError &error)
{
    return TovraJson::encode(ResolverErrorResponse(requestID, error.code(), error.localizedDescription()));
}

} // namespace

ResolverConnectionProcessor::ResolverConnectionProcessor(
    std::shared_ptr<ObsidianResolutionCoordinator> coordinator,
    std::shared_ptr<ResolverEnvironmentProviding> environment)
    : m_coordinator(std::move(coordinator))
    , m_environment(std::move(environment))
{
}

// A plain function: the job takes copies of what it needs, so the request may
// go as soon as this returns, and no argument lives in a coroutine frame.
QCoro::Task<QByteArray> ResolverConnectionProcessor::process(const ResolverRequest &request)
{
    return app::async::awaitFuture(m_executor.submit([requestID = request.requestId, type = request.type] {
        return encodedErrorResponse(requestID, ResolverError::unsupportedRequest(type));
    }));
}

} // namespace tovra
