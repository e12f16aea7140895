#pragma once

#include "core/records/RecordEnums.h"
#include "core/records/TovraJson.h"
#include "core/records/TraceRecord.h"

#include <QJsonObject>

#include <optional>
#include <variant>

namespace tovra {

// The outcome of committing a paste: recorded as a trace, excluded for a
// reason, or not recorded because no pending source matched the content.
class PasteCommitResult {
public:
    enum class Kind {
        recorded,
        excluded,
        sourceUnmatched,
    };

    static PasteCommitResult recorded(TraceRecord trace);
    static PasteCommitResult excluded(RejectionReason reason);
    static PasteCommitResult sourceUnmatched();

    Kind kind() const noexcept;
    // Set only for `recorded`.
    const TraceRecord *trace() const noexcept;
    // Set only for `excluded`.
    std::optional<RejectionReason> exclusionReason() const noexcept;

    bool operator==(const PasteCommitResult &) const = default;

private:
    explicit PasteCommitResult(std::variant<std::monostate, TraceRecord, RejectionReason> outcome);

    std::variant<std::monostate, TraceRecord, RejectionReason> m_outcome;
};

template <> struct EnumNames<PasteCommitResult::Kind> {
    static constexpr std::array<std::string_view, 3> names { "recorded", "excluded", "sourceUnmatched" };
};

// {"kind": "recorded", "trace": {...}}, {"kind": "excluded", "reason": "paused"}
// or {"kind": "sourceUnmatched"}
QJsonObject toJson(const PasteCommitResult &result);
template <> PasteCommitResult fromJson<PasteCommitResult>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
