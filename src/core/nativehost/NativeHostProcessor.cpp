#include "core/nativehost/NativeHostProcessor.h"

#include "core/crypto/ContentFingerprinter.h"
#include "core/ledger/TovraLedger.h"
#include "core/ledger/TovraLedgerError.h"
#include "core/nativehost/NativeMessagingError.h"
#include "core/privacy/PrivacyGuard.h"

namespace tovra {

NativeHostProcessor::NativeHostProcessor(LedgerOpening openLedger, ClipboardTextReading &clipboard)
    : m_openLedger(std::move(openLedger))
    , m_clipboard(clipboard)
{
}

NativeHostProcessor::~NativeHostProcessor() = default;

NativeHostResponse NativeHostProcessor::process(const QByteArray &message, const QDateTime &now)
{
    std::optional<QUuid> requestId;
    try {
        const NativeHostRequest request = NativeHostRequest::decode(message);
        requestId = request.requestId;
        switch (request.type) {
        case NativeHostRequestType::captureSource:
            return capture(request, now);
        case NativeHostRequestType::getStatus:
            return status(request, now);
        }
        throw NativeMessagingError::internalError(QStringLiteral("unhandled request type."));
    } catch (const NativeMessagingError &error) {
        return NativeHostResponse::error(
            requestId ? requestId : NativeHostRequest::readableRequestId(message), error);
    } catch (const TovraLedgerError &error) {
        return NativeHostResponse::error(
            requestId, NativeMessagingError::ledgerUnavailable(error.localizedDescription()));
    } catch (const TovraError &error) {
        return NativeHostResponse::error(
            requestId, NativeMessagingError::internalError(error.localizedDescription()));
    } catch (const std::exception &error) {
        return NativeHostResponse::error(
            requestId, NativeMessagingError::internalError(QString::fromLocal8Bit(error.what())));
    }
}

TovraLedger &NativeHostProcessor::ledger()
{
    if (!m_ledger) {
        try {
            m_ledger = m_openLedger();
        } catch (const TovraError &error) {
            throw NativeMessagingError::ledgerUnavailable(error.localizedDescription());
        }
        if (!m_ledger) {
            throw NativeMessagingError::ledgerUnavailable(QStringLiteral("no ledger was opened."));
        }
    }
    return *m_ledger;
}

NativeHostResponse NativeHostProcessor::capture(const NativeHostRequest &request, const QDateTime &now)
{
    const SourceCapturePayload &payload = *request.payload;
    TovraLedger &ledger = this->ledger();

    if (const std::optional<RejectionReason> reason
        = PrivacyGuard::validateBrowserSource(payload, ledger.customDenylist(), ledger.isPaused())) {
        return NativeHostResponse::captureRejected(request.requestId, *reason);
    }

    const std::optional<QString> clipboardText = m_clipboard.readClipboardText();
    if (!clipboardText) {
        return NativeHostResponse::captureRejected(
            request.requestId, ClipboardRejection::clipboardUnavailable);
    }
    if (ContentFingerprinter::normalize(*clipboardText)
        != ContentFingerprinter::normalize(payload.selectedText)) {
        return NativeHostResponse::captureRejected(request.requestId, ClipboardRejection::clipboardMismatch);
    }

    // The ledger judges again under its lock: the app may have paused or
    // changed the denylist since.
    const SourceCaptureResult result = ledger.captureSource(payload, now);
    if (const PendingSource *source = result.storedSource()) {
        return NativeHostResponse::captureStored(request.requestId, source->id, source->expiresAt);
    }
    return NativeHostResponse::captureRejected(
        request.requestId, result.rejectionReason().value_or(RejectionReason::malformedRequest));
}

NativeHostResponse NativeHostProcessor::status(const NativeHostRequest &request, const QDateTime &now)
{
    return NativeHostResponse::status(request.requestId, ledger().status(now));
}

} // namespace tovra
