#pragma once

#include "core/records/DestinationContext.h"
#include "core/records/PasteRecord.h"
#include "core/records/PendingSource.h"
#include "core/records/TraceRecord.h"

#include <QDateTime>
#include <QUuid>

// Fully populated records, so that a round trip exercises every field.
namespace tovra::testing {

inline QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs).toUTC();
}

inline PendingSource browserSource()
{
    PendingSource source;
    source.id = QUuid::fromString(QStringLiteral("3F2504E0-4F89-41D3-9A0C-0305E82C3301"));
    source.captureMethod = CaptureMethod::chromeExtension;
    source.contentFingerprint = QStringLiteral("ab").repeated(32);
    source.byteCount = 1'234;
    source.sanitizedURL = QStringLiteral("https://example.com/article?id=7");
    source.pageTitle = QStringLiteral("标题 — Example");
    source.sourceAppName = QStringLiteral("Google Chrome");
    source.sourceAppBundleID = QStringLiteral("com.google.Chrome");
    source.sourceProcessIdentifier = 4242;
    source.capturedAt = utc("2026-12-06T21:22:17.123Z");
    source.expiresAt = utc("2026-12-06T21:52:17.123Z");
    return source;
}

inline PendingSource applicationSource()
{
    PendingSource source;
    source.id = QUuid::fromString(QStringLiteral("9b2c1a3e-0000-4000-8000-00000000abcd"));
    source.captureMethod = CaptureMethod::pasteboardInference;
    source.byteCount = 0;
    source.capturedAt = utc("2026-01-02T03:04:05.006Z");
    source.expiresAt = utc("2026-01-02T03:34:05.006Z");
    return source;
}

inline DestinationContext fullDestination()
{
    DestinationContext destination;
    destination.appBundleID = QStringLiteral("md.obsidian.Obsidian");
    destination.appName = QStringLiteral("Obsidian");
    destination.windowTitle = QStringLiteral("Notes - Vault");
    destination.documentID = QStringLiteral("vault/notes.md");
    destination.url = QStringLiteral("obsidian://open?vault=Vault");
    destination.fieldRole = QStringLiteral("text");
    destination.fieldLabel = QStringLiteral("Editor");
    destination.inputType = QStringLiteral("textarea");
    destination.autocomplete = QStringLiteral("off");
    destination.isSecureTextEntry = false;
    return destination;
}

inline TraceRecord verifiedTrace()
{
    TraceRecord trace;
    trace.id = QUuid::fromString(QStringLiteral("0d5a8f4c-1111-4222-8333-444455556666"));
    trace.source = browserSource();
    trace.paste.id = QUuid::fromString(QStringLiteral("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee"));
    trace.paste.destination = fullDestination();
    trace.paste.pastedAt = utc("2026-12-06T21:23:00.500Z");
    trace.paste.contentFingerprint = QStringLiteral("ab").repeated(32);
    trace.paste.byteCount = 1'234;
    trace.paste.isImage = false;
    trace.confidence = TraceConfidence::verified;
    trace.receiptStatus = PasteReceiptStatus::posted;
    return trace;
}

} // namespace tovra::testing
