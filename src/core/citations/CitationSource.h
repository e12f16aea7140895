#pragma once

#include "core/records/PendingSource.h"
#include "core/records/RecordEnums.h"
#include "core/records/TovraJson.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace tovra {

// What a citation says about a paste's source: the trace the paste will be
// recorded under and the pending source it was matched with.
struct CitationSource {
    QUuid traceID;
    QUuid sourceID;
    CaptureMethod captureMethod = CaptureMethod::unknown;
    std::optional<QString> sanitizedURL;
    std::optional<QString> sourceTitle;
    std::optional<QString> sourceAppName;
    QDateTime capturedAt;
    QDateTime expiresAt;

    // The citation of a paste about to be recorded as `traceID` from `source`.
    static CitationSource from(const QUuid &traceID, const PendingSource &source);

    bool operator==(const CitationSource &) const = default;
};

QJsonObject toJson(const CitationSource &source);
template <> CitationSource fromJson<CitationSource>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
