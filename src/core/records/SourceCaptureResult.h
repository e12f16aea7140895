#pragma once

#include "core/records/PendingSource.h"
#include "core/records/RecordEnums.h"
#include "core/records/TovraJson.h"

#include <QJsonObject>

#include <optional>
#include <variant>

namespace tovra {

// The outcome of offering a source to the ledger: stored as a pending source,
// or rejected for a reason.
class SourceCaptureResult {
public:
    enum class Kind {
        stored,
        rejected,
    };

    static SourceCaptureResult stored(PendingSource source);
    static SourceCaptureResult rejected(RejectionReason reason);

    Kind kind() const noexcept;
    // Set only for `stored`.
    const PendingSource *storedSource() const noexcept;
    // Set only for `rejected`.
    std::optional<RejectionReason> rejectionReason() const noexcept;

    bool operator==(const SourceCaptureResult &) const = default;

private:
    explicit SourceCaptureResult(std::variant<PendingSource, RejectionReason> outcome);

    std::variant<PendingSource, RejectionReason> m_outcome;
};

template <> struct EnumNames<SourceCaptureResult::Kind> {
    static constexpr std::array<std::string_view, 2> names { "stored", "rejected" };
};

// {"kind": "stored", "source": {...}} or {"kind": "rejected", "reason": "incognito"}
QJsonObject toJson(const SourceCaptureResult &result);
template <>
SourceCaptureResult fromJson<SourceCaptureResult>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
