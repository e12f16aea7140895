#pragma once

#include "core/records/RecordEnums.h"
#include "core/records/TovraJson.h"
#include "core/records/TraceRecord.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace tovra {

// A query over trace records; every condition that is set must hold.
struct TraceFilter {
    // Case-insensitive text searched in the source's page title, address and
    // application name and the destination's application name and window title.
    std::optional<QString> query;
    std::optional<TraceConfidence> confidence;
    // Pasted at or after this instant.
    std::optional<QDateTime> since;
    // The most records to return; the caller applies it after ordering.
    std::optional<qint64> limit;

    // The record conditions (query, confidence, since); `limit` is not one.
    bool matches(const TraceRecord &trace) const;

    bool operator==(const TraceFilter &) const = default;
};

QJsonObject toJson(const TraceFilter &filter);
template <> TraceFilter fromJson<TraceFilter>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
