// The browser's side of the native host: the bytes are the host's standard
// input, read as frames, decoded as requests and served against a ledger kept
// in memory. Every reply is a whole frame holding a response object, only the
// last may be an error, and nothing the ledger stored breaks its rules.

#include "FuzzCheck.h"

#include "core/ledger/DenylistRules.h"
#include "core/ledger/LedgerPersistence.h"
#include "core/ledger/TovraLedger.h"
#include "core/nativehost/NativeHostProcessor.h"
#include "core/nativehost/NativeMessageFraming.h"
#include "core/nativehost/NativeMessagingError.h"
#include "core/nativehost/TovraNativeHostRuntime.h"
#include "core/privacy/PrivacyGuard.h"
#include "core/privacy/UrlSanitizer.h"
#include "core/records/TovraJson.h"

#include <QBuffer>

#include <cstdint>

using namespace tovra;
using tovra::fuzz::require;

namespace {

// The text on the clipboard; the corpus's captures claim it, so that they
// reach the ledger.
const QString clipboardText = QStringLiteral("copied text");

class MemoryLedgerPersistence final : public LedgerPersistence {
public:
    explicit MemoryLedgerPersistence(LedgerSnapshot &stored)
        : m_stored(stored)
    {
    }

    LedgerSnapshot load() override { return m_stored; }

    LedgerSnapshot update(const Change &change) override
    {
        LedgerSnapshot edited = m_stored;
        if (change(edited))
            m_stored = edited;
        return m_stored;
    }

private:
    LedgerSnapshot &m_stored;
};

class FixedClipboard final : public ClipboardTextReading {
public:
    std::optional<QString> readClipboardText() override { return clipboardText; }
};

QDateTime now()
{
    return QDateTime(QDate(2026, 5, 4), QTime(8, 30), Qt::UTC);
}

// True when the last response is an error; checks each one on the way.
bool checkResponses(QByteArray written)
{
    QBuffer output(&written);
    output.open(QIODevice::ReadOnly);
    bool lastIsError = false;
    for (;;) {
        std::optional<QByteArray> message;
        try {
            message = NativeMessageFraming::readMessage(output);
        } catch (const NativeMessagingError &) {
            require(false, "the host writes whole frames");
        }
        if (!message)
            return lastIsError;
        require(!lastIsError, "nothing follows an error response");
        QJsonObject response;
        try {
            response = TovraJson::decodeObject(*message);
        } catch (const TovraJsonError &) {
            require(false, "every response is a JSON object");
        }
        require(
            response.value(QStringLiteral("schemaVersion")) == 1, "every response names schema version 1");
        const QJsonValue ok = response.value(QStringLiteral("ok"));
        require(ok.isBool(), "every response says whether it is ok");
        lastIsError = !ok.toBool();
    }
}

void checkStoredSources(const LedgerSnapshot &stored)
{
    const CustomDenylist denylist = DenylistRules::effectiveDenylist(stored.customDenylistEntries);
    for (const PendingSource &source : stored.pendingSources) {
        require(source.sanitizedURL.has_value(), "a browser capture keeps its page address");
        require(UrlSanitizer::sanitize(*source.sanitizedURL) == source.sanitizedURL,
            "a stored page address is already sanitised");
        const std::optional<QString> host = UrlSanitizer::host(*source.sanitizedURL);
        require(
            host && !PrivacyGuard::isDeniedHost(*host, denylist), "no source is stored from a denied domain");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    QByteArray written;
    QBuffer output(&written);
    output.open(QIODevice::WriteOnly);

    LedgerSnapshot stored;
    for (const char *domain : { "denied.example", "127.0.0.1" })
        stored.customDenylistEntries.append({ DenylistKind::domain, QString::fromLatin1(domain), now() });
    FixedClipboard clipboard;
    NativeHostProcessor processor(
        [&stored] {
            return std::make_unique<TovraLedger>(
                std::make_unique<MemoryLedgerPersistence>(stored), QByteArray(32, '\x42'));
        },
        clipboard);
    const int status = TovraNativeHostRuntime::serve(processor, input, output, now);

    require(checkResponses(written) == (status == 1),
        "the host fails exactly when its last response is an error");
    checkStoredSources(stored);
    return 0;
}
