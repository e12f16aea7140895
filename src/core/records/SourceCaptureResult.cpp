#include "core/records/SourceCaptureResult.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

SourceCaptureResult::SourceCaptureResult(std::variant<PendingSource, RejectionReason> outcome)
    : m_outcome(std::move(outcome))
{
}

SourceCaptureResult SourceCaptureResult::stored(PendingSource source)
{
    return SourceCaptureResult(std::move(source));
}

SourceCaptureResult SourceCaptureResult::rejected(RejectionReason reason)
{
    return SourceCaptureResult(reason);
}

SourceCaptureResult::Kind SourceCaptureResult::kind() const noexcept
{
    return std::holds_alternative<PendingSource>(m_outcome) ? Kind::stored : Kind::rejected;
}

const PendingSource *SourceCaptureResult::storedSource() const noexcept
{
    return std::get_if<PendingSource>(&m_outcome);
}

std::optional<RejectionReason> SourceCaptureResult::rejectionReason() const noexcept
{
    if (const auto *reason = std::get_if<RejectionReason>(&m_outcome)) {
        return *reason;
    }
    return std::nullopt;
}

QJsonObject toJson(const SourceCaptureResult &result)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("kind"), result.kind());
    if (const PendingSource *source = result.storedSource()) {
        writer.writeRecord(QStringLiteral("source"), *source);
    }
    writer.write(QStringLiteral("reason"), result.rejectionReason());
    return writer.object();
}

template <>
SourceCaptureResult fromJson<SourceCaptureResult>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    switch (reader.requiredEnum<SourceCaptureResult::Kind>(QStringLiteral("kind"))) {
    case SourceCaptureResult::Kind::stored:
        return SourceCaptureResult::stored(reader.requiredRecord<PendingSource>(QStringLiteral("source")));
    case SourceCaptureResult::Kind::rejected:
        break;
    }
    return SourceCaptureResult::rejected(reader.requiredEnum<RejectionReason>(QStringLiteral("reason")));
}

} // namespace tovra
