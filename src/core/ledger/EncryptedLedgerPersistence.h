#pragma once

#include "core/ledger/LedgerCodec.h"
#include "core/ledger/LedgerFileStore.h"
#include "core/ledger/LedgerPersistence.h"

#include <optional>

namespace tovra {

// The ledger file: the snapshot in its encrypted envelope, in a LedgerFileStore
// shared with other processes. Reads hold the shared lock, changes the
// exclusive one for the whole read-modify-write. The last snapshot read is
// kept with the file's stamp and is decoded again only when the stamp changed.
//
// The trace records are kept as the JSON they were read or written as, and
// decoded only for a reader that asks for them: a change elsewhere writes
// them back as they were, and a new record is appended to their text.
//
// A file of an older supported version is migrated: the next change (and
// load(), which makes that change at once) first keeps the file's bytes as a
// backup named "<ledger>.v<old version>.bak", then writes the migrated
// snapshot. A file that cannot be read, decrypted, decoded, or that has a
// version this build does not read, is reported and never written over.
class EncryptedLedgerPersistence final : public LedgerPersistence {
public:
    // A file from `streamedFromBytes` on is read a slice at a time while its
    // trace records are not wanted and were never held (the browser host's
    // operations): it is checked as strictly, but never held whole.
    static constexpr qint64 defaultStreamedFromBytes = qint64(1) << 20;

    EncryptedLedgerPersistence(QString ledgerPath, QByteArray envelopeKey,
        LedgerMigrations migrations = LedgerMigrations::standard(),
        qint64 streamedFromBytes = defaultStreamedFromBytes);

    LedgerSnapshot load() override { return read(TraceRecordNeed::decoded); }
    LedgerSnapshot update(const Change &change) override { return write(change, true); }
    LedgerSnapshot loadWithoutTraceRecords() override { return read(TraceRecordNeed::checked); }
    LedgerSnapshot updateWithoutTraceRecords(const Change &change) override { return write(change, false); }
    LedgerSnapshot loadSummary() override { return read(TraceRecordNeed::unchecked); }

    const LedgerFileStore &fileStore() const noexcept { return m_store; }

private:
    // What an operation needs of the stored trace records.
    enum class TraceRecordNeed { unchecked, checked, decoded };

    struct Cached {
        // With its trace records only when they were decoded.
        LedgerSnapshot snapshot;
        bool traceRecordsDecoded = false;
        EncodedTraceRecords encodedTraceRecords;
        int storedVersion = 0;
        LedgerFileStamp stamp;
        std::shared_ptr<const UniqueFd> pin;
        // Set instead of `encodedTraceRecords` when the file was read a
        // slice at a time: the records' text stays in the pinned file.
        std::optional<LedgerJsonReader::Stream::Checked> streamed;
        // False only for a streamed read that skipped the records' check.
        bool traceRecordsChecked = true;
    };

    LedgerSnapshot read(TraceRecordNeed need);
    LedgerSnapshot write(const Change &change, bool withTraceRecords);
    // The stored state under `lock`, from the cache when the stamp is
    // unchanged and the cached state has what `need` asks for.
    const Cached &current(const LedgerFileStore::Lock &lock, TraceRecordNeed need);
    Cached decodeContents(
        LedgerFileStore::Contents contents, const Cached *previous, TraceRecordNeed need) const;
    std::optional<Cached> readStreamed(const LedgerFileStore::Lock &lock, bool checkTraceRecords) const;
    EncryptedEnvelope::Reader readerOf(const Cached &state) const;

    LedgerFileStore m_store;
    LedgerCodec m_codec;
    qint64 m_streamedFromBytes;
    std::optional<Cached> m_cache;
};

} // namespace tovra
