#pragma once

#include "app/data/TovraAppDataProviding.h"

#include <QProcessEnvironment>

#include <functional>
#include <memory>

namespace tovra {
class Clock;
class TovraKeyProviding;
} // namespace tovra

namespace tovra::app {

// Builds the data store the app runs with.
class TovraAppDataStoreFactory {
public:
    // The store over the ledger at its default location for this process's
    // environment, with this environment's key source and the system clock;
    // when the ledger cannot be opened, an UnavailableTovraDataStore carrying
    // the reason. Never throws.
    static std::shared_ptr<TovraAppDataProviding> makeDefault();

    // The same for a given environment, key source (not null) and clock.
    // Never throws.
    static std::shared_ptr<TovraAppDataProviding> make(const QProcessEnvironment &environment,
        std::unique_ptr<TovraKeyProviding> keyProvider, std::shared_ptr<const Clock> clock);

    // The live store over the ledger at the location for the environment,
    // returned at once: the ledger is opened on the store's thread, with the
    // environment's key source, before the first operation, and each
    // operation fails as the unavailable store's do when it cannot be opened.
    // The app starts with this one, so its window paints without waiting for
    // the file or the keyring.
    // `beforeOpening` runs first on the store's thread, and may wait.
    static std::shared_ptr<TovraAppDataProviding> makeDefaultOpeningInBackground(
        std::function<void()> beforeOpening = {});
    static std::shared_ptr<TovraAppDataProviding> makeOpeningInBackground(
        const QProcessEnvironment &environment, std::shared_ptr<const Clock> clock,
        std::function<void()> beforeOpening = {});
};

} // namespace tovra::app
