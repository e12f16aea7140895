#include "core/records/PasteCommitResult.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

PasteCommitResult::PasteCommitResult(std::variant<std::monostate, TraceRecord, RejectionReason> outcome)
    : m_outcome(std::move(outcome))
{
}

PasteCommitResult PasteCommitResult::recorded(TraceRecord trace)
{
    return PasteCommitResult(std::move(trace));
}

PasteCommitResult PasteCommitResult::excluded(RejectionReason reason)
{
    return PasteCommitResult(reason);
}

PasteCommitResult PasteCommitResult::sourceUnmatched()
{
    return PasteCommitResult(std::monostate {});
}

PasteCommitResult::Kind PasteCommitResult::kind() const noexcept
{
    if (std::holds_alternative<TraceRecord>(m_outcome)) {
        return Kind::recorded;
    }
    if (std::holds_alternative<RejectionReason>(m_outcome)) {
        return Kind::excluded;
    }
    return Kind::sourceUnmatched;
}

const TraceRecord *PasteCommitResult::trace() const noexcept
{
    return std::get_if<TraceRecord>(&m_outcome);
}

std::optional<RejectionReason> PasteCommitResult::exclusionReason() const noexcept
{
    if (const auto *reason = std::get_if<RejectionReason>(&m_outcome)) {
        return *reason;
    }
    return std::nullopt;
}

QJsonObject toJson(const PasteCommitResult &result)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("kind"), result.kind());
    if (const TraceRecord *trace = result.trace()) {
        writer.writeRecord(QStringLiteral("trace"), *trace);
    }
    writer.write(QStringLiteral("reason"), result.exclusionReason());
    return writer.object();
}

template <> PasteCommitResult fromJson<PasteCommitResult>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    switch (reader.requiredEnum<PasteCommitResult::Kind>(QStringLiteral("kind"))) {
    case PasteCommitResult::Kind::recorded:
        return PasteCommitResult::recorded(reader.requiredRecord<TraceRecord>(QStringLiteral("trace")));
    case PasteCommitResult::Kind::excluded:
        return PasteCommitResult::excluded(reader.requiredEnum<RejectionReason>(QStringLiteral("reason")));
    case PasteCommitResult::Kind::sourceUnmatched:
        break;
    }
    return PasteCommitResult::sourceUnmatched();
}

} // namespace tovra
