#pragma once

#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/EncryptedEnvelope.h"
#include "core/ledger/EncodedTraceRecords.h"
#include "core/ledger/LedgerJsonReader.h"
#include "core/ledger/LedgerJsonWriter.h"
#include "core/ledger/LedgerMigrations.h"
#include "core/records/LedgerSnapshot.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tovra {

// Turns ledger file bytes into a snapshot and back: the snapshot's JSON inside
// the encrypted envelope. Reading checks, in this order, that the envelope
// opens with the key, that it holds a JSON object with a version, that the
// version is one this build reads, and that the migrated object decodes; each
// failure is its own TovraLedgerError naming the file.
//
// A file spelled exactly as this build writes it (every file it wrote) is
// read by LedgerJsonReader; any other goes the general way through
// QJsonDocument, which alone decides what is refused and how.
class LedgerCodec {
public:
    enum class TraceRecordDecoding {
        // The snapshot holds its trace records.
        decoded,
        // The snapshot's trace records are left empty: only the encoding holds
        // them, checked as strictly as if they had been decoded.
        keptEncoded,
    };

    struct Decoded {
        LedgerSnapshot snapshot;
        // The version the file was written with, before any migration.
        int storedVersion = 0;
        // The trace records as the file spells them, or as this build would
        // write them when the file spells them otherwise.
        EncodedTraceRecords encodedTraceRecords;
        bool traceRecordsDecoded = true;
    };

    LedgerCodec(QByteArray envelopeKey, LedgerMigrations migrations, QString ledgerPath);

    Decoded decode(const QByteArray &bytes) const { return decode(bytes, TraceRecordDecoding::decoded); }
    // Decrypts `bytes` where they are when the caller hands them over. The
    // leading trace records spelled as in `known` (those of the previous
    // read) are not checked again.
    Decoded decode(
        QByteArray bytes, TraceRecordDecoding decoding, const EncodedTraceRecords *known = nullptr) const;

    // The same bytes as encoding the whole snapshot with TovraJson, but trace
    // records that are unchanged since the previous call keep their encoded
    // JSON: they are nearly all of a long-used ledger and rarely change.
    QByteArray encode(const LedgerSnapshot &snapshot);
    // The file whose JSON is `frame` around `traceRecords`, handed to `write`
    // a slice at a time.
    void seal(const LedgerJsonWriter::Frame &frame, const EncodedTraceRecords &traceRecords,
        const CryptoPrimitives::Sink &write) const;

    // For a long-used ledger whose trace records are not wanted, without
    // ever holding the file or its JSON whole. checkStreaming checks a file
    // of `size` bytes, read through `read`, as decode() with keptEncoded
    // does; none when it does not open or is anything but a current file
    // spelled as written: decode() then reads it and tells what is wrong.
    // Without `checkTraceRecords` only the envelope and the text around the
    // trace records are checked. sealStreaming is seal() with the trace
    // records' text copied from a file checked whole, opened again (and
    // verified again) as it is copied.
    std::optional<LedgerJsonReader::Stream::Checked> checkStreaming(
        qint64 size, const EncryptedEnvelope::Reader &read, bool checkTraceRecords = true) const;
    void sealStreaming(const LedgerJsonWriter::Frame &frame, qint64 size,
        const EncryptedEnvelope::Reader &read, const LedgerJsonReader::Stream::Checked &checked,
        const CryptoPrimitives::Sink &write) const;

    int currentVersion() const noexcept { return m_migrations.currentVersion(); }

private:
    Decoded decodeGenerally(const QByteArray &json) const;

    QByteArray m_envelopeKey;
    LedgerMigrations m_migrations;
    QString m_ledgerPath;
    QList<TraceRecord> m_encodedRecords;
    EncodedTraceRecords m_encoding;
};

} // namespace tovra
