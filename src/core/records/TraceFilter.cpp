#include "core/records/TraceFilter.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

namespace {

bool containsText(const std::optional<QString> &field, const QString &query)
{
    return field && field->contains(query, Qt::CaseInsensitive);
}

bool matchesQuery(const TraceRecord &trace, const QString &query)
{
    const DestinationContext &destination = trace.paste.destination;
    if (containsText(destination.appName, query) || containsText(destination.windowTitle, query)) {
        return true;
    }
    if (!trace.source) {
        return false;
    }
    return containsText(trace.source->pageTitle, query) || containsText(trace.source->sanitizedURL, query)
        || containsText(trace.source->sourceAppName, query);
}

} // namespace

bool TraceFilter::matches(const TraceRecord &trace) const
{
    if (confidence && trace.confidence != *confidence) {
        return false;
    }
    if (since && trace.paste.pastedAt < *since) {
        return false;
    }
    if (query) {
        // A blank query is no condition, as in any search field.
        const QString needle = query->trimmed();
        if (!needle.isEmpty() && !matchesQuery(trace, needle)) {
            return false;
        }
    }
    return true;
}

QJsonObject toJson(const TraceFilter &filter)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("query"), filter.query);
    writer.write(QStringLiteral("confidence"), filter.confidence);
    writer.write(QStringLiteral("since"), filter.since);
    writer.write(QStringLiteral("limit"), filter.limit);
    return writer.object();
}

template <> TraceFilter fromJson<TraceFilter>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    TraceFilter filter;
    filter.query = reader.optionalString(QStringLiteral("query"));
    filter.confidence = reader.optionalEnum<TraceConfidence>(QStringLiteral("confidence"));
    filter.since = reader.optionalDate(QStringLiteral("since"));
    filter.limit = reader.optionalCount(QStringLiteral("limit"));
    return filter;
}

} // namespace tovra
