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

QByteArray LedgerCodec::encode(const LedgerSnapshot &snapshot) const
{
    return EncryptedEnvelope::seal(TovraJson::encode(snapshot), m_envelopeKey);
}

} // namespace tovra
