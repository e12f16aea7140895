#pragma once

#include <exception>

namespace tovra::app {

// Thrown inside a paste run when the ledger failed to record a paste that
// had already been sent: its failure must not offer to paste again.
struct PasteCommitFailure {
    std::exception_ptr error;
};

} // namespace tovra::app
