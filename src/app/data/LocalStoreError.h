#pragma once

#include "core/records/TovraError.h"

#include <QString>

namespace tovra::app {

// Why the app's data store could not do what was asked. The descriptions are
// shown to the user as they are.
class LocalStoreError : public TovraError {
public:
    enum class Kind {
        // The encrypted ledger could not be opened at start-up; carries the
        // description of the error that opening it raised.
        ledgerUnavailable,
        // Pastes confirmed by the Obsidian plug-in cannot be recorded by this
        // version of the app.
        obsidianCommitUnsupported,
        // The app is ending and takes no more ledger work.
        stopped,
    };

    static LocalStoreError ledgerUnavailable(const QString &openErrorDescription);
    static LocalStoreError obsidianCommitUnsupported();
    static LocalStoreError stopped();

    Kind kind() const noexcept { return m_kind; }

private:
    LocalStoreError(Kind kind, QString description);

    Kind m_kind;
};

} // namespace tovra::app
