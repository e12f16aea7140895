#pragma once

#include "core/ledger/LedgerMigrations.h"
#include "core/records/LedgerSnapshot.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUuid>

namespace tovra {

// Turns ledger file bytes into a snapshot and back: the snapshot's JSON inside
// the encrypted envelope. Reading checks, in this order, that the envelope
// opens with the key, that it holds a JSON object with a version, that the
// version is one this build reads, and that the migrated object decodes; each
// failure is its own TovraLedgerError naming the file.
class LedgerCodec {
public:
    struct Decoded {
        LedgerSnapshot snapshot;
        // The version the file was written with, before any migration.
        int storedVersion = 0;
    };

    LedgerCodec(QByteArray envelopeKey, LedgerMigrations migrations, QString ledgerPath);

    Decoded decode(const QByteArray &bytes) const;
    // The same bytes as encoding the whole snapshot with TovraJson, but trace
    // records that are unchanged since the previous call reuse their encoded
    // JSON: they are nearly all of a long-used ledger and rarely change.
    QByteArray encode(const LedgerSnapshot &snapshot);

    int currentVersion() const noexcept { return m_migrations.currentVersion(); }

private:
    struct EncodedRecord {
        TraceRecord record;
        QByteArray json;
    };

    QByteArray encodeJson(const LedgerSnapshot &snapshot);

    QByteArray m_envelopeKey;
    LedgerMigrations m_migrations;
    QString m_ledgerPath;
    QHash<QUuid, EncodedRecord> m_encodedRecords;
};

} // namespace tovra
