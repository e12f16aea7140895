#include "app/data/TovraAppDataStoreFactory.h"

#include "app/data/LedgerOnFirstUse.h"
#include "app/data/TovraCoreDataStore.h"
#include "app/data/UnavailableTovraDataStore.h"
#include "app/data/UserFacingError.h"
#include "core/crypto/TovraKeyProviders.h"
#include "core/crypto/TovraKeyProviding.h"
#include "core/ledger/TovraLedger.h"
#include "core/ledger/TovraPaths.h"
#include "platform/SystemClock.h"

#include <exception>

namespace tovra::app {

namespace {

// The store for an opening that threw `failure`, with its description.
std::shared_ptr<TovraAppDataProviding> unavailableStore(const std::exception_ptr &failure)
{
    return std::make_shared<UnavailableTovraDataStore>(userFacingDescription(failure));
}

} // namespace

std::shared_ptr<TovraAppDataProviding> TovraAppDataStoreFactory::makeDefault()
{
    try {
        const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        return make(environment, TovraKeyProviders::live(environment), std::make_shared<SystemClock>());
    } catch (...) {
        return unavailableStore(std::current_exception());
    }
}

std::shared_ptr<TovraAppDataProviding> TovraAppDataStoreFactory::make(const QProcessEnvironment &environment,
    std::unique_ptr<TovraKeyProviding> keyProvider, std::shared_ptr<const Clock> clock)
{
    try {
        std::unique_ptr<TovraLedger> ledger = TovraLedger::live(
            TovraPaths::defaultLedgerURL(environment), *keyProvider, TovraLedger::Opening::withTraceRecords);
        return std::make_shared<TovraCoreDataStore>(std::move(ledger), std::move(clock));
    } catch (...) {
        return unavailableStore(std::current_exception());
    }
}

std::shared_ptr<TovraAppDataProviding> TovraAppDataStoreFactory::makeDefaultOpeningInBackground(
    std::function<void()> beforeOpening)
{
    return makeOpeningInBackground(
        QProcessEnvironment::systemEnvironment(), std::make_shared<SystemClock>(), std::move(beforeOpening));
}

std::shared_ptr<TovraAppDataProviding> TovraAppDataStoreFactory::makeOpeningInBackground(
    const QProcessEnvironment &environment, std::shared_ptr<const Clock> clock,
    std::function<void()> beforeOpening)
{
    return std::make_shared<TovraCoreDataStore>(
        [environment, beforeOpening = std::move(beforeOpening)]() -> std::unique_ptr<TovraLedger> {
            if (beforeOpening)
                beforeOpening();
            const std::unique_ptr<TovraKeyProviding> keys = TovraKeyProviders::live(environment);
            return TovraLedger::live(
                TovraPaths::defaultLedgerURL(environment), *keys, TovraLedger::Opening::withTraceRecords);
        },
        std::move(clock));
}

} // namespace tovra::app
