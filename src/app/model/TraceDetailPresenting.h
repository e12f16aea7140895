#pragma once

#include "app/data/ProvenanceRecord.h"

#include <QString>

#include <variant>

namespace tovra::app {

// What the trace detail window shows: a found record, or the message saying
// why a trace cannot be shown.
struct TraceDetailContent {
    std::variant<ProvenanceRecord, QString> value;

    static TraceDetailContent record(ProvenanceRecord record) { return { std::move(record) }; }
    static TraceDetailContent notFound(QString message) { return { std::move(message) }; }

    const ProvenanceRecord *foundRecord() const noexcept { return std::get_if<ProvenanceRecord>(&value); }
    const QString *notFoundMessage() const noexcept { return std::get_if<QString>(&value); }

    bool operator==(const TraceDetailContent &) const = default;
};

// The one trace detail window: each show replaces what it shows.
class TraceDetailPresenting {
public:
    virtual ~TraceDetailPresenting() = default;

    virtual void show(TraceDetailContent content) = 0;
};

} // namespace tovra::app
