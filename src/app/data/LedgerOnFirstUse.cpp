#include "app/data/LedgerOnFirstUse.h"

#include "app/data/LocalStoreError.h"
#include "core/ledger/TovraLedger.h"
#include "core/records/TovraError.h"

namespace tovra::app {

LedgerOnFirstUse::LedgerOnFirstUse(std::unique_ptr<TovraLedger> opened)
    : m_ledger(std::move(opened))
{
}

LedgerOnFirstUse::LedgerOnFirstUse(Opening opening)
    : m_opening(std::move(opening))
{
}

LedgerOnFirstUse::~LedgerOnFirstUse() = default;

void LedgerOnFirstUse::open() noexcept
{
    if (m_ledger || m_failure)
        return;
    try {
        m_ledger = std::exchange(m_opening, {})();
    } catch (...) {
        m_failure = openingFailureDescription(std::current_exception());
    }
}

TovraLedger *LedgerOnFirstUse::operator->()
{
    open();
    if (m_failure)
        throw LocalStoreError::ledgerUnavailable(*m_failure);
    return m_ledger.get();
}

QString LedgerOnFirstUse::openingFailureDescription(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const TovraError &error) {
        return error.localizedDescription();
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        // Nothing describes it: the store says only that the ledger cannot be opened.
        return QString();
    }
}

} // namespace tovra::app
