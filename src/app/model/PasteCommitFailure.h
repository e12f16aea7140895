#pragma once

#include "app/data/PasteCommit.h"

#include <QCoroTask>

#include <exception>

namespace tovra::app {

// Thrown inside a paste run when the ledger failed to record a paste that
// had already been sent: its failure must not offer to paste again.
struct PasteCommitFailure {
    std::exception_ptr error;
};

// Awaits the commit of a paste whose keys went out; a failure comes back as
// PasteCommitFailure.
inline QCoro::Task<PasteCommit> commitOfSentPaste(QCoro::Task<PasteCommit> commit)
{
    std::exception_ptr error;
    try {
        co_return co_await std::move(commit);
    } catch (...) {
        error = std::current_exception();
    }
    throw PasteCommitFailure { error };
}

} // namespace tovra::app
