#pragma once

#include "app/data/PasteExclusionReason.h"
#include "app/data/ProvenanceRecord.h"

#include <optional>
#include <variant>

namespace tovra::app {

// What became of a paste in the ledger: recorded, excluded for a reason, or
// not recorded because no pending source matched the content.
class PastePreparationOutcome {
public:
    enum class Kind {
        recorded,
        excluded,
        sourceUnmatched,
    };

    static PastePreparationOutcome recorded(ProvenanceRecord record)
    {
        return PastePreparationOutcome(std::move(record));
    }
    static PastePreparationOutcome excluded(PasteExclusionReason reason)
    {
        return PastePreparationOutcome(reason);
    }
    static PastePreparationOutcome sourceUnmatched() { return PastePreparationOutcome(std::monostate {}); }

    Kind kind() const noexcept { return static_cast<Kind>(m_outcome.index()); }
    // Set only for `recorded`.
    const ProvenanceRecord *record() const noexcept { return std::get_if<ProvenanceRecord>(&m_outcome); }
    // Set only for `excluded`.
    std::optional<PasteExclusionReason> exclusionReason() const noexcept
    {
        if (const auto *reason = std::get_if<PasteExclusionReason>(&m_outcome))
            return *reason;
        return std::nullopt;
    }

    bool operator==(const PastePreparationOutcome &) const = default;

private:
    // The alternatives in the order of Kind, so the index is the kind.
    using Outcome = std::variant<ProvenanceRecord, PasteExclusionReason, std::monostate>;

    explicit PastePreparationOutcome(Outcome outcome)
        : m_outcome(std::move(outcome))
    {
    }

    Outcome m_outcome;
};

} // namespace tovra::app
