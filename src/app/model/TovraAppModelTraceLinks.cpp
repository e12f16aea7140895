#include "app/data/TovraAppDataProviding.h"
#include "app/model/ErrorDescription.h"
#include "app/model/TovraAppModel.h"
#include "app/model/TraceDetailPresenting.h"
#include "app/model/TraceLink.h"
#include "platform/Workspace.h"

#include <QPointer>

namespace tovra::app {

QCoro::Task<void> TovraAppModel::handleTraceURL(QUrl url)
{
    const TraceLink link = TraceLink::parse(url);
    if (!link.traceID) {
        m_traceDetailPresenter.show(TraceDetailContent::notFound(link.rejection));
        co_return;
    }
    const QUuid traceID = *link.traceID;

    QPointer<TovraAppModel> self(this);
    QList<ProvenanceRecord> records;
    std::exception_ptr failure;
    try {
        records = co_await m_dataProvider->listRecords();
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure) {
        m_traceDetailPresenter.show(
            TraceDetailContent::notFound(traceLinkMessages::readFailedPrefix + errorDescription(failure)));
        co_return;
    }
    publish(&State::records, records, Field::records);
    const auto found = std::find_if(records.cbegin(), records.cend(),
        [&traceID](const ProvenanceRecord &record) { return record.id == traceID; });
    if (found == records.cend())
        m_traceDetailPresenter.show(TraceDetailContent::notFound(traceLinkMessages::recordUnavailable));
    else
        m_traceDetailPresenter.show(TraceDetailContent::record(*found));
}

void TovraAppModel::openSource(const ProvenanceRecord &record)
{
    if (record.source.url) {
        const QString scheme = record.source.url->scheme().toLower();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
            m_platform.workspace->openURL(*record.source.url);
            return;
        }
    }
    m_traceDetailPresenter.show(TraceDetailContent::record(record));
}

} // namespace tovra::app
