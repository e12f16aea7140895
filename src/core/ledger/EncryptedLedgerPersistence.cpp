#include "core/ledger/EncryptedLedgerPersistence.h"

#include "core/ledger/LedgerJsonReader.h"
#include "core/ledger/TovraLedgerError.h"

namespace tovra {

namespace {

LedgerSnapshot withoutTraceRecords(LedgerSnapshot snapshot)
{
    snapshot.traceRecords.clear();
    return snapshot;
}

} // namespace

EncryptedLedgerPersistence::EncryptedLedgerPersistence(
    QString ledgerPath, QByteArray envelopeKey, LedgerMigrations migrations, qint64 streamedFromBytes)
    : m_store(ledgerPath)
    , m_codec(std::move(envelopeKey), std::move(migrations), ledgerPath)
    , m_streamedFromBytes(streamedFromBytes)
{
}

LedgerSnapshot EncryptedLedgerPersistence::read(TraceRecordNeed need)
{
    const bool withTraceRecords = need == TraceRecordNeed::decoded;
    {
        const auto lock = m_store.lockShared();
        const Cached &state = current(lock, need);
        if (state.storedVersion >= m_codec.currentVersion())
            return withTraceRecords ? state.snapshot : withoutTraceRecords(state.snapshot);
    }
    // An older file is migrated as soon as it is seen, so the backup of the
    // old version exists from the moment this build first opens it.
    return write([](LedgerSnapshot &) { return false; }, withTraceRecords);
}

LedgerSnapshot EncryptedLedgerPersistence::write(const Change &change, bool withTraceRecords)
{
    const auto lock = m_store.lockExclusive();
    const Cached &state
        = current(lock, withTraceRecords ? TraceRecordNeed::decoded : TraceRecordNeed::checked);
    const int storedVersion = state.storedVersion;
    LedgerSnapshot snapshot = withTraceRecords ? state.snapshot : withoutTraceRecords(state.snapshot);

    const bool migrating = storedVersion < m_codec.currentVersion();
    const bool changed = change(snapshot);
    if (!withTraceRecords)
        requireNoTraceRecords(snapshot);
    if (!changed && !migrating)
        return snapshot;

    // The cached encoding is taken over and grows in place; until the new
    // file is in place the cache is therefore gone.
    Cached previous = std::move(*m_cache);
    m_cache.reset();
    EncodedTraceRecords records = withTraceRecords
        ? std::move(previous.encodedTraceRecords)
              .updated(previous.snapshot.traceRecords, snapshot.traceRecords)
        : std::move(previous.encodedTraceRecords);
    const LedgerJsonWriter::Frame frame = LedgerJsonWriter::frame(snapshot);
    if (migrating) {
        const LedgerFileStore::Contents original = m_store.read(lock);
        if (!original.bytes || original.stamp != previous.stamp)
            throw TovraLedgerError::corrupted(
                m_store.ledgerPath(), QStringLiteral("it changed while the lock was held"));
        m_store.keepBackup(lock, *original.bytes, storedVersion);
    }
    if (previous.streamed) {
        // Only operations without trace records keep a streamed state.
        const LedgerJsonReader::Stream::Checked &checked = *previous.streamed;
        LedgerFileStore::Contents written = m_store.replace(lock, [&](const LedgerFileStore::Writer &write) {
            m_codec.sealStreaming(frame, previous.stamp.size, readerOf(previous), checked, write);
        });
        const qsizetype begin = frame.beforeTraceRecords.size();
        LedgerJsonReader::Stream::Checked now { {}, checked.traceRecordCount, begin,
            begin + checked.traceRecordsEnd - checked.traceRecordsBegin };
        m_cache = Cached { snapshot, false, {}, m_codec.currentVersion(), written.stamp,
            std::move(written.pin), std::move(now), true };
        return snapshot;
    }
    LedgerFileStore::Contents written = m_store.replace(
        lock, [&](const LedgerFileStore::Writer &write) { m_codec.seal(frame, records, write); });

    LedgerSnapshot cached = snapshot;
    const bool decoded = withTraceRecords || previous.traceRecordsDecoded;
    if (!withTraceRecords)
        cached.traceRecords = previous.snapshot.traceRecords;
    m_cache = Cached { std::move(cached), decoded, std::move(records), m_codec.currentVersion(),
        written.stamp, std::move(written.pin), std::nullopt, true };
    return snapshot;
}

const EncryptedLedgerPersistence::Cached &EncryptedLedgerPersistence::current(
    const LedgerFileStore::Lock &lock, TraceRecordNeed need)
{
    const bool withTraceRecords = need == TraceRecordNeed::decoded;
    const LedgerFileStamp stamp = m_store.stamp(lock);
    // Trace records that were never held are read with the whole file, and
    // ones never checked are read again for whoever needs them checked.
    if (m_cache
        && ((m_cache->streamed && withTraceRecords)
            || (!m_cache->traceRecordsChecked && need != TraceRecordNeed::unchecked)))
        m_cache.reset();
    if (!m_cache || m_cache->stamp != stamp) {
        // The state read last helps to read the new one: another process
        // (the browser host, most often) changed little of it.
        const std::optional<Cached> previous = std::exchange(m_cache, std::nullopt);
        // A process that holds the records read before (the app) reads the
        // whole file, helped by them; one that never held them (the browser
        // host) need not.
        if (!withTraceRecords && (!previous || previous->streamed))
            m_cache = readStreamed(lock, need == TraceRecordNeed::checked);
        if (!m_cache)
            m_cache = decodeContents(m_store.read(lock), previous ? &*previous : nullptr, need);
    }
    if (withTraceRecords && !m_cache->traceRecordsDecoded) {
        std::optional<QList<TraceRecord>> records = LedgerJsonReader::decode(m_cache->encodedTraceRecords);
        if (!records)
            throw TovraLedgerError::corrupted(
                m_store.ledgerPath(), QStringLiteral("its trace records do not read back"));
        m_cache->snapshot.traceRecords = std::move(*records);
        m_cache->traceRecordsDecoded = true;
    }
    return *m_cache;
}

EncryptedLedgerPersistence::Cached EncryptedLedgerPersistence::decodeContents(
    LedgerFileStore::Contents contents, const Cached *previous, TraceRecordNeed need) const
{
    if (!contents.bytes) {
        LedgerSnapshot empty;
        empty.version = m_codec.currentVersion();
        return Cached { std::move(empty), true, {}, m_codec.currentVersion(), contents.stamp, nullptr,
            std::nullopt, true };
    }
    // Records spelled as in the previous state are not checked again, and
    // when all of them are, their decoded form is kept too. Records needed
    // decoded that no previous ones can stand in for are decoded as they are
    // checked, in one reading instead of two.
    const bool decodeNow = need == TraceRecordNeed::decoded && !(previous && previous->traceRecordsDecoded);
    LedgerCodec::Decoded decoded = m_codec.decode(*std::exchange(contents.bytes, std::nullopt),
        decodeNow ? LedgerCodec::TraceRecordDecoding::decoded : LedgerCodec::TraceRecordDecoding::keptEncoded,
        previous ? &previous->encodedTraceRecords : nullptr);
    Cached state { std::move(decoded.snapshot), decoded.traceRecordsDecoded,
        std::move(decoded.encodedTraceRecords), decoded.storedVersion, contents.stamp,
        std::move(contents.pin), std::nullopt, true };
    if (!state.traceRecordsDecoded && previous && previous->traceRecordsDecoded
        && state.encodedTraceRecords.count() == previous->encodedTraceRecords.count()
        && state.encodedTraceRecords.text() == previous->encodedTraceRecords.text()) {
        state.snapshot.traceRecords = previous->snapshot.traceRecords;
        state.traceRecordsDecoded = true;
    }
    return state;
}

std::optional<EncryptedLedgerPersistence::Cached> EncryptedLedgerPersistence::readStreamed(
    const LedgerFileStore::Lock &lock, bool checkTraceRecords) const
{
    LedgerFileStore::Opened opened = m_store.open(lock);
    if (!opened.pin || opened.stamp.size < m_streamedFromBytes)
        return std::nullopt;
    Cached state { {}, false, {}, m_codec.currentVersion(), opened.stamp, std::move(opened.pin), std::nullopt,
        checkTraceRecords };
    state.streamed = m_codec.checkStreaming(opened.stamp.size, readerOf(state), checkTraceRecords);
    if (!state.streamed)
        return std::nullopt;
    state.snapshot = std::exchange(state.streamed->snapshot, {});
    return state;
}

EncryptedEnvelope::Reader EncryptedLedgerPersistence::readerOf(const Cached &state) const
{
    return [this, pin = state.pin](
               qint64 offset, qsizetype length) { return m_store.readAt(*pin, offset, length); };
}

} // namespace tovra
