#include "core/ledger/EncryptedLedgerPersistence.h"

#include "core/ledger/TovraLedgerError.h"

namespace tovra {

EncryptedLedgerPersistence::EncryptedLedgerPersistence(
    QString ledgerPath, QByteArray envelopeKey, LedgerMigrations migrations)
    : m_store(ledgerPath)
    , m_codec(std::move(envelopeKey), std::move(migrations), ledgerPath)
{
}

LedgerSnapshot EncryptedLedgerPersistence::load()
{
    {
        const auto lock = m_store.lockShared();
        const Cached &state = current(lock);
        if (state.storedVersion >= m_codec.currentVersion())
            return state.snapshot;
    }
    // An older file is migrated as soon as it is seen, so the backup of the
    // old version exists from the moment this build first opens it.
    return update([](LedgerSnapshot &) { return false; });
}

LedgerSnapshot EncryptedLedgerPersistence::update(const Change &change)
{
    const auto lock = m_store.lockExclusive();
    const Cached &state = current(lock);
    const int storedVersion = state.storedVersion;
    LedgerSnapshot snapshot = state.snapshot;

    const bool migrating = storedVersion < m_codec.currentVersion();
    const bool changed = change(snapshot);
    if (!changed && !migrating)
        return snapshot;

    const QByteArray encoded = m_codec.encode(snapshot);
    if (migrating) {
        const LedgerFileStore::Contents original = m_store.read(lock);
        if (!original.bytes || original.stamp != m_cache->stamp)
            throw TovraLedgerError::corrupted(
                m_store.ledgerPath(), QStringLiteral("it changed while the lock was held"));
        m_store.keepBackup(lock, *original.bytes, storedVersion);
    }
    LedgerFileStore::Contents written = m_store.replace(lock, encoded);
    m_cache = Cached { snapshot, m_codec.currentVersion(), written.stamp, std::move(written.pin) };
    return snapshot;
}

const EncryptedLedgerPersistence::Cached &EncryptedLedgerPersistence::current(
    const LedgerFileStore::Lock &lock)
{
    const LedgerFileStamp stamp = m_store.stamp(lock);
    if (m_cache && m_cache->stamp == stamp)
        return *m_cache;
    m_cache.reset();
    m_cache = decodeContents(m_store.read(lock));
    return *m_cache;
}

EncryptedLedgerPersistence::Cached EncryptedLedgerPersistence::decodeContents(
    LedgerFileStore::Contents contents) const
{
    if (!contents.bytes) {
        LedgerSnapshot empty;
        empty.version = m_codec.currentVersion();
        return Cached { std::move(empty), m_codec.currentVersion(), contents.stamp, nullptr };
    }
    LedgerCodec::Decoded decoded = m_codec.decode(*contents.bytes);
    return Cached { std::move(decoded.snapshot), decoded.storedVersion, contents.stamp,
        std::move(contents.pin) };
}

} // namespace tovra
