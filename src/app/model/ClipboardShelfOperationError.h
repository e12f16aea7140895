#pragma once

#include "app/data/PasteExclusionReason.h"
#include "core/records/TovraError.h"

#include <optional>

namespace tovra::app {

// Why a paste of a history item was not sent.
class ClipboardShelfOperationError : public TovraError {
public:
    enum class Kind { targetExcluded, itemUnavailable, sourceUnavailable, clipboardWriteFailed };

    static ClipboardShelfOperationError targetExcluded(PasteExclusionReason reason);
    static ClipboardShelfOperationError itemUnavailable();
    static ClipboardShelfOperationError sourceUnavailable();
    static ClipboardShelfOperationError clipboardWriteFailed();

    Kind kind() const noexcept { return m_kind; }
    // Set only for targetExcluded.
    std::optional<PasteExclusionReason> exclusionReason() const noexcept { return m_reason; }

private:
    ClipboardShelfOperationError(Kind kind, std::optional<PasteExclusionReason> reason);

    Kind m_kind;
    std::optional<PasteExclusionReason> m_reason;
};

} // namespace tovra::app
