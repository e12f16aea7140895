#include "core/ledger/LedgerCodec.h"

#include "LedgerTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::at;

namespace {

TraceRecord trace(int index)
{
    TraceRecord record;
    record.id = QUuid::createUuid();
    record.paste.id = QUuid::createUuid();
    record.paste.destination = tovra::testing::obsidianNote();
    record.paste.pastedAt = at(index);
    record.paste.contentFingerprint = QString(64, QLatin1Char('0' + index % 10));
    record.paste.byteCount = index;
    record.confidence = TraceConfidence::observed;
    record.receiptStatus = PasteReceiptStatus::posted;
    return record;
}

class LedgerCodecTest : public ::testing::Test {
protected:
    // What the file holds must not depend on which records were encoded before.
    void expectPlainEncoding(const LedgerSnapshot &snapshot)
    {
        const QByteArray sealed = codec.encode(snapshot);
        EXPECT_EQ(EncryptedEnvelope::open(sealed, key), TovraJson::encode(toJson(snapshot)));
        EXPECT_EQ(codec.decode(sealed).snapshot, snapshot);
    }

    QByteArray key = DerivedKeys::derive(tovra::testing::testMasterKey()).ledgerEnvelopeKey;
    LedgerCodec codec { key, LedgerMigrations::standard(), QStringLiteral("/test/ledger.json.enc") };
};

} // namespace

TEST_F(LedgerCodecTest, ReusedRecordEncodingsGiveTheSameBytesAsAFullEncoding)
{
    LedgerSnapshot snapshot;
    snapshot.updatedAt = at(0);
    expectPlainEncoding(snapshot);

    for (int index = 0; index < 4; ++index)
        snapshot.traceRecords.append(trace(index));
    PendingSource source;
    source.id = QUuid::createUuid();
    source.contentFingerprint = QString(64, QLatin1Char('f'));
    source.capturedAt = at(0);
    source.expiresAt = at(10);
    snapshot.pendingSources.append(source);
    snapshot.traceRecords[2].source = source;
    expectPlainEncoding(snapshot);

    // A record changed in place under the same id must not reuse its old encoding.
    snapshot.traceRecords[1].paste.destination.windowTitle = QStringLiteral("Renamed \"note\" [1]");
    expectPlainEncoding(snapshot);

    snapshot.traceRecords.removeAt(0);
    snapshot.traceRecords.append(trace(9));
    snapshot.traceRecords.swapItemsAt(0, 2);
    snapshot.isPaused = true;
    expectPlainEncoding(snapshot);

    snapshot.traceRecords.clear();
    expectPlainEncoding(snapshot);
}
