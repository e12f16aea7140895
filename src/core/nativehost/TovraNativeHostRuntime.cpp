#include "core/nativehost/TovraNativeHostRuntime.h"

#include "core/crypto/TovraKeyProviders.h"
#include "core/ledger/TovraLedger.h"
#include "core/ledger/TovraPaths.h"
#include "core/nativehost/NativeMessageFraming.h"
#include "core/nativehost/NativeMessagingError.h"

namespace tovra {

namespace {

// False when the response could not be written whole; a response too
// large for a frame is replaced by an error the browser can still read.
bool send(QIODevice &output, const NativeHostResponse &response)
{
    try {
        NativeMessageFraming::writeMessage(output, response.encode());
        return true;
    } catch (const NativeMessagingError &error) {
        if (error.kind() != NativeMessagingError::Kind::messageTooLarge) {
            return false;
        }
    }
    try {
        NativeMessageFraming::writeMessage(output,
            NativeHostResponse::error(response.requestId(),
                NativeMessagingError::internalError(
                    QStringLiteral("the response exceeds the message limit.")))
                .encode());
    } catch (const NativeMessagingError &) {
    }
    return false;
}

} // namespace

int TovraNativeHostRuntime::run(const QProcessEnvironment &environment, QIODevice &input, QIODevice &output,
    ClipboardTextReading &clipboard, const Clock &clock)
{
    NativeHostProcessor processor(ledgerOpening(environment), clipboard);
    return serve(processor, input, output, clock);
}

int TovraNativeHostRuntime::serve(
    NativeHostProcessor &processor, QIODevice &input, QIODevice &output, const Clock &clock)
{
    for (;;) {
        std::optional<QByteArray> message;
        try {
            message = NativeMessageFraming::readMessage(input);
        } catch (const NativeMessagingError &error) {
            send(output, NativeHostResponse::error(std::nullopt, error));
            return 1;
        }
        if (!message) {
            return 0;
        }
        const NativeHostResponse response = processor.process(*message, clock());
        if (!send(output, response) || response.isError()) {
            return 1;
        }
    }
}

NativeHostProcessor::LedgerOpening TovraNativeHostRuntime::ledgerOpening(
    const QProcessEnvironment &environment)
{
    return [environment] {
        const std::unique_ptr<TovraKeyProviding> keys = TovraKeyProviders::live(environment);
        // Each request reads what it needs: a status needs no trace record checked.
        return TovraLedger::live(
            TovraPaths::defaultLedgerURL(environment), *keys, TovraLedger::Opening::atFirstUse);
    };
}

QDateTime TovraNativeHostRuntime::currentTime()
{
    return QDateTime::currentDateTimeUtc();
}

} // namespace tovra
