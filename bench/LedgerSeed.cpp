#include "LedgerSeed.h"

#include "core/crypto/DerivedKeys.h"
#include "core/ledger/EncryptedLedgerPersistence.h"
#include "core/ledger/TovraLedger.h"

namespace tovra::bench {

QDateTime benchInstant(qint64 milliseconds)
{
    return QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC).addMSecs(milliseconds);
}

DestinationContext benchDestination()
{
    DestinationContext context;
    context.appBundleID = QStringLiteral("md.obsidian");
    context.appName = QStringLiteral("Obsidian");
    context.windowTitle = QStringLiteral("Reading notes");
    context.fieldRole = QStringLiteral("text");
    return context;
}

void seedLedger(const QString &path, qint64 recordCount, const QByteArray &masterKey)
{
    const DerivedKeys keys = DerivedKeys::derive(masterKey);
    EncryptedLedgerPersistence persistence(path, keys.ledgerEnvelopeKey);
    persistence.update([&](LedgerSnapshot &snapshot) {
        for (qint64 index = 0; index < recordCount; ++index) {
            PendingSource source;
            source.id = QUuid::createUuid();
            source.captureMethod = CaptureMethod::chromeExtension;
            source.contentFingerprint = QString(64, QLatin1Char('a' + index % 6));
            source.byteCount = 120;
            source.sanitizedURL = QStringLiteral("https://example.org/articles/%1?page=2").arg(index);
            source.pageTitle = QStringLiteral("An article worth reading, part %1").arg(index);
            source.capturedAt = benchInstant(-index * 1000);
            source.expiresAt = source.capturedAt.addSecs(TovraLedger::pendingSourceLifetimeSeconds);

            TraceRecord trace;
            trace.id = QUuid::createUuid();
            trace.source = source;
            trace.paste.id = QUuid::createUuid();
            trace.paste.destination = benchDestination();
            trace.paste.pastedAt = source.capturedAt.addSecs(5);
            trace.paste.contentFingerprint = source.contentFingerprint;
            trace.paste.byteCount = source.byteCount;
            trace.confidence = TraceConfidence::observed;
            trace.receiptStatus = PasteReceiptStatus::posted;
            snapshot.traceRecords.append(trace);
            if (index < 500)
                snapshot.pendingSources.append(source);
        }
        snapshot.updatedAt = benchInstant(0);
        return true;
    });
}

} // namespace tovra::bench
