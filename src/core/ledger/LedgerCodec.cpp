#include "core/ledger/LedgerCodec.h"

#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/TovraCryptoError.h"
#include "core/ledger/LedgerJsonReader.h"
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

LedgerCodec::Decoded LedgerCodec::decode(
    QByteArray bytes, TraceRecordDecoding decoding, const EncodedTraceRecords *known) const
{
    QByteArray json;
    try {
        json = EncryptedEnvelope::openInPlace(std::move(bytes), m_envelopeKey);
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

    const bool decodeRecords = decoding == TraceRecordDecoding::decoded;
    if (m_migrations.currentVersion() == LedgerSnapshot::currentVersion) {
        if (std::optional<LedgerJsonReader::Read> read = LedgerJsonReader::read(json, decodeRecords, known)) {
            return Decoded { std::move(read->snapshot), LedgerSnapshot::currentVersion,
                std::move(read->traceRecords), decodeRecords };
        }
    }
    return decodeGenerally(json);
}

LedgerCodec::Decoded LedgerCodec::decodeGenerally(const QByteArray &json) const
{
    try {
        const QJsonObject object = TovraJson::decodeObject(json);
        const int version = LedgerSnapshot::versionOf(object);
        if (version > m_migrations.currentVersion())
            throw TovraLedgerError::newerVersion(m_ledgerPath, version, m_migrations.currentVersion());
        if (version < m_migrations.oldestSupportedVersion())
            throw TovraLedgerError::unsupportedVersion(
                m_ledgerPath, version, m_migrations.oldestSupportedVersion());
        LedgerSnapshot snapshot = fromJson<LedgerSnapshot>(m_migrations.upgrade(object, version));
        EncodedTraceRecords encoded = EncodedTraceRecords::encode(snapshot.traceRecords);
        return Decoded { std::move(snapshot), version, std::move(encoded), true };
    } catch (const TovraJsonError &error) {
        throw TovraLedgerError::corrupted(m_ledgerPath, error.localizedDescription());
    }
}

QByteArray LedgerCodec::encode(const LedgerSnapshot &snapshot)
{
    try {
        m_encoding = std::move(m_encoding).updated(m_encodedRecords, snapshot.traceRecords);
        m_encodedRecords = snapshot.traceRecords;
    } catch (...) {
        // A record that cannot be encoded may have left the encoding half
        // updated; the next call starts afresh.
        m_encoding = {};
        m_encodedRecords.clear();
        throw;
    }
    QByteArray sealed;
    sealed.reserve(m_encoding.text().size() + 4096);
    seal(LedgerJsonWriter::frame(snapshot), m_encoding, [&](QByteArrayView bytes) { sealed.append(bytes); });
    return sealed;
}

void LedgerCodec::seal(const LedgerJsonWriter::Frame &frame, const EncodedTraceRecords &traceRecords,
    const CryptoPrimitives::Sink &write) const
{
    EncryptedEnvelope::seal(
        { frame.beforeTraceRecords, traceRecords.text(), frame.afterTraceRecords }, m_envelopeKey, write);
}

std::optional<LedgerJsonReader::Stream::Checked> LedgerCodec::checkStreaming(
    qint64 size, const EncryptedEnvelope::Reader &read, bool checkTraceRecords) const
{
    if (m_migrations.currentVersion() != LedgerSnapshot::currentVersion)
        return std::nullopt;
    LedgerJsonReader::Stream stream(checkTraceRecords);
    try {
        EncryptedEnvelope::openStreaming(
            size, read, m_envelopeKey, [&](QByteArrayView json) { stream.feed(json); });
    } catch (const TovraCryptoError &) {
        return std::nullopt;
    }
    return stream.finish();
}

void LedgerCodec::sealStreaming(const LedgerJsonWriter::Frame &frame, qint64 size,
    const EncryptedEnvelope::Reader &read, const LedgerJsonReader::Stream::Checked &checked,
    const CryptoPrimitives::Sink &write) const
{
    const auto copyTraceRecords = [&](const CryptoPrimitives::Sink &json) {
        qint64 at = 0;
        try {
            EncryptedEnvelope::openStreaming(size, read, m_envelopeKey, [&](QByteArrayView slice) {
                const qint64 from = std::max<qint64>(at, checked.traceRecordsBegin);
                const qint64 to = std::min<qint64>(at + slice.size(), checked.traceRecordsEnd);
                if (from < to)
                    json(slice.sliced(from - at, to - from));
                at += slice.size();
            });
        } catch (const TovraCryptoError &) {
            // What was copied no longer verifies: the new file is not kept.
            throw TovraLedgerError::corrupted(
                m_ledgerPath, QStringLiteral("it changed while the lock was held"));
        }
    };
    EncryptedEnvelope::seal(
        [&](const CryptoPrimitives::Sink &json) {
            json(frame.beforeTraceRecords);
            copyTraceRecords(json);
            json(frame.afterTraceRecords);
        },
        m_envelopeKey, write);
}

} // namespace tovra
