#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace tovra {
class TovraLedger;
} // namespace tovra

namespace tovra::app {

// The data store's ledger, opened by the first job that uses it, on the
// store's thread: reading and decrypting the file and asking the keyring for
// the key never hold up the window. An opening that fails fails that job and
// every later one with LocalStoreError::ledgerUnavailable and the reason, as
// the unavailable store does; it is not tried again.
class LedgerOnFirstUse {
public:
    using Opening = std::function<std::unique_ptr<TovraLedger>()>;

    explicit LedgerOnFirstUse(std::unique_ptr<TovraLedger> opened);
    explicit LedgerOnFirstUse(Opening opening);
    ~LedgerOnFirstUse();

    LedgerOnFirstUse(const LedgerOnFirstUse &) = delete;
    LedgerOnFirstUse &operator=(const LedgerOnFirstUse &) = delete;

    // Opens the ledger unless that was done or tried; a failure is kept for
    // the jobs that use it.
    void open() noexcept;

    // The open ledger; throws LocalStoreError::ledgerUnavailable when it
    // cannot be opened.
    TovraLedger *operator->();

    // What a job captures to reach the ledger: `handle->operation(...)`.
    class Handle {
    public:
        explicit Handle(LedgerOnFirstUse &ledger)
            : m_ledger(&ledger)
        {
        }
        TovraLedger *operator->() const { return m_ledger->operator->(); }

    private:
        LedgerOnFirstUse *m_ledger;
    };
    Handle handle() { return Handle(*this); }

private:
    Opening m_opening;
    std::unique_ptr<TovraLedger> m_ledger;
    std::optional<QString> m_failure;
};

} // namespace tovra::app
