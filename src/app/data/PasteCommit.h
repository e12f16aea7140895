#pragma once

#include "app/data/PastePreparationOutcome.h"

namespace tovra::app {

// The result of committing or observing a paste.
struct PasteCommit {
    PastePreparationOutcome outcome = PastePreparationOutcome::sourceUnmatched();

    bool operator==(const PasteCommit &) const = default;
};

} // namespace tovra::app
