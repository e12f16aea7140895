#include "core/ledger/LedgerCodec.h"

#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/TovraCryptoError.h"
#include "core/ledger/TovraLedgerError.h"
#include "core/records/TovraJson.h"
#include "core/records/TovraJsonError.h"

namespace tovra {

LedgerCodec::LedgerCodec(QByteArray envelopeKey, LedgerMigrations migrations, QString ledgerPath)
    : m_envelopeKey(std::move(envelopeKey))
    , m_migrations(std::move(migrations))
    , m_ledgerPath(std::move(ledgerPath))
{
}

LedgerCodec::Decoded LedgerCodec::decode(const QByteArray &bytes) const
{
    QByteArray json;
    try {
        json = EncryptedEnvelope::open(bytes, m_envelopeKey);
    } catch (const TovraCryptoError &error) {
        switch (error.kind()) {
        case TovraCryptoError::Kind::authenticationFailed:
            throw TovraLedgerError::undecryptable(m_ledgerPath);
        case TovraCryptoError::Kind::invalidKeyLength:
            throw TovraLedgerError::keyUnavailable(error.localizedDescription());
        default:
            throw TovraLedgerError::corrupted(m_ledgerPath, error.localizedDescription());
        }
    }

    try {
        const QJsonObject object = TovraJson::decodeObject(json);
        const int version = LedgerSnapshot::versionOf(object);
        if (version > m_migrations.currentVersion())
            throw TovraLedgerError::newerVersion(m_ledgerPath, version, m_migrations.currentVersion());
        if (version < m_migrations.oldestSupportedVersion())
            throw TovraLedgerError::unsupportedVersion(
                m_ledgerPath, version, m_migrations.oldestSupportedVersion());
        return Decoded { fromJson<LedgerSnapshot>(m_migrations.upgrade(object, version)), version };
    } catch (const TovraJsonError &error) {
        throw TovraLedgerError::corrupted(m_ledgerPath, error.localizedDescription());
    }
}

QByteArray LedgerCodec::encode(const LedgerSnapshot &snapshot)
{
    return EncryptedEnvelope::seal(encodeJson(snapshot), m_envelopeKey);
}

QByteArray LedgerCodec::encodeJson(const LedgerSnapshot &snapshot)
{
    QHash<QUuid, EncodedRecord> encoded;
    encoded.reserve(snapshot.traceRecords.size());
    QByteArray records = "[";
    for (const TraceRecord &record : snapshot.traceRecords) {
        const auto cached = m_encodedRecords.constFind(record.id);
        EncodedRecord entry = cached != m_encodedRecords.cend() && cached->record == record
            ? *cached
            : EncodedRecord { record, TovraJson::encode(toJson(record)) };
        if (records.size() > 1)
            records += ',';
        records += entry.json;
        encoded.insert(record.id, std::move(entry));
    }
    records += ']';
    m_encodedRecords = std::move(encoded);

    // The rest of the snapshot is encoded as usual, with the records left
    // empty and then put in place. Keys are sorted and every later top-level
    // value is a scalar, so the last occurrence is the top-level key.
    LedgerSnapshot rest = snapshot;
    rest.traceRecords.clear();
    QByteArray json = TovraJson::encode(toJson(rest));
    static const QByteArray emptyRecords = QByteArrayLiteral("\"traceRecords\":[]");
    const qsizetype at = json.lastIndexOf(emptyRecords);
    if (at < 0)
        return TovraJson::encode(toJson(snapshot));
    json.replace(at + emptyRecords.size() - 2, 2, records);
    return json;
}

} // namespace tovra
