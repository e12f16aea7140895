#pragma once

#include "core/records/PasteRecord.h"
#include "core/records/PendingSource.h"
#include "core/records/RecordEnums.h"
#include "core/records/TovraJson.h"

#include <QJsonObject>
#include <QUuid>

#include <optional>

namespace tovra {

// The trace that links a committed paste to the source it was matched with.
// `id` is the trace identifier that trace links name. `source` is a snapshot
// of the pending source at commit time; an observed standard paste may have
// matched none.
struct TraceRecord {
    QUuid id;
    std::optional<PendingSource> source;
    PasteRecord paste;
    TraceConfidence confidence = TraceConfidence::inferred;
    PasteReceiptStatus receiptStatus = PasteReceiptStatus::observed;

    bool operator==(const TraceRecord &) const = default;
};

QJsonObject toJson(const TraceRecord &trace);
template <> TraceRecord fromJson<TraceRecord>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
