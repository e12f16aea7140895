#pragma once

#include "core/nativehost/ClipboardTextReading.h"
#include "core/nativehost/NativeHostRequest.h"
#include "core/nativehost/NativeHostResponse.h"

#include <QByteArray>
#include <QDateTime>

#include <functional>
#include <memory>

namespace tovra {

class TovraLedger;

// Turns one request message into one response. The ledger is opened on the
// first request that needs it, so a browser that only sends garbage never
// causes a keyring prompt.
//
// A capture is refused, in this order, when the privacy guard objects to the
// source (paused, incognito, address, denylist, empty or oversized text),
// when the clipboard cannot be read, and when the clipboard's text differs
// from the captured text after fingerprint normalisation; only then does the
// ledger store a pending source. A page cannot claim a text the user did not
// copy.
class NativeHostProcessor {
public:
    // Opens the ledger; throws on failure (any TovraError).
    using LedgerOpening = std::function<std::unique_ptr<TovraLedger>()>;

    NativeHostProcessor(LedgerOpening openLedger, ClipboardTextReading &clipboard);
    ~NativeHostProcessor();

    NativeHostProcessor(const NativeHostProcessor &) = delete;
    NativeHostProcessor &operator=(const NativeHostProcessor &) = delete;

    // Never throws: every failure becomes an error response, after which the
    // conversation must end.
    NativeHostResponse process(const QByteArray &message, const QDateTime &now);

private:
    TovraLedger &ledger();
    NativeHostResponse capture(const NativeHostRequest &request, const QDateTime &now);
    NativeHostResponse status(const NativeHostRequest &request, const QDateTime &now);

    LedgerOpening m_openLedger;
    ClipboardTextReading &m_clipboard;
    std::unique_ptr<TovraLedger> m_ledger;
};

} // namespace tovra
