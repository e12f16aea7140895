#include "app/data/LedgerOnFirstUse.h"

#include "app/data/LocalStoreError.h"
#include "app/data/UserFacingError.h"
#include "core/ledger/TovraLedger.h"

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
        m_failure = userFacingDescription(std::current_exception());
    }
}

TovraLedger *LedgerOnFirstUse::operator->()
{
    open();
    if (m_failure)
        throw LocalStoreError::ledgerUnavailable(*m_failure);
    return m_ledger.get();
}

} // namespace tovra::app
