#pragma once

#include "core/nativehost/ClipboardTextReading.h"
#include "core/nativehost/NativeHostProcessor.h"

#include <QDateTime>
#include <QIODevice>
#include <QProcessEnvironment>

#include <functional>

namespace tovra {

// The host's conversation with the browser: read a frame, answer it, until
// the input ends. Returns the process's exit status: 0 when the input ends
// at a frame boundary; 1 after an error response (a frame that cannot be
// read, a request that cannot be served) or when a response cannot be
// written.
//
// `input` must deliver no more than it is asked for (a QFile over a pipe
// opened Unbuffered), or a read could wait for bytes the browser never sends.
class TovraNativeHostRuntime {
public:
    using Clock = std::function<QDateTime()>;

    static int run(const QProcessEnvironment &environment, QIODevice &input, QIODevice &output,
        ClipboardTextReading &clipboard, const Clock &clock = currentTime);

    // The same conversation with a processor the caller made, for a ledger
    // that is not the environment's.
    static int serve(NativeHostProcessor &processor, QIODevice &input, QIODevice &output,
        const Clock &clock = currentTime);

    // Opens the ledger the environment names (TOVRA_LEDGER_PATH, the testing
    // folder, or the default) with the environment's key source (the test
    // key with TOVRA_TESTING=1, else the desktop keyring).
    static NativeHostProcessor::LedgerOpening ledgerOpening(const QProcessEnvironment &environment);

    static QDateTime currentTime();
};

} // namespace tovra
