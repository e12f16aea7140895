// Readers and changes that leave the trace records aside: they see none, may
// add none, and the stored records stay as they were, both in the ledger file
// and in the plain implementation any other persistence inherits.

#include "core/ledger/EncryptedLedgerPersistence.h"

#include "LedgerTestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::readBytes;

namespace {

const QString goldenLedgerPath = QStringLiteral(TOVRA_GOLDEN_LEDGER_DIR "/ledger-v1.json.enc");

// A persistence with nothing of its own for the trace records.
class MemoryPersistence final : public LedgerPersistence {
public:
    explicit MemoryPersistence(LedgerSnapshot snapshot)
        : m_snapshot(std::move(snapshot))
    {
    }
    LedgerSnapshot load() override { return m_snapshot; }
    LedgerSnapshot update(const Change &change) override
    {
        LedgerSnapshot edited = m_snapshot;
        if (change(edited))
            m_snapshot = edited;
        return edited;
    }

private:
    LedgerSnapshot m_snapshot;
};

class LedgerPersistenceScopeTest : public tovra::testing::LedgerFixture {
protected:
    void SetUp() override
    {
        QDir().mkpath(QFileInfo(ledgerPath()).absolutePath());
        tovra::testing::writeBytes(ledgerPath(), readBytes(goldenLedgerPath));
        golden = file.load();
        ASSERT_EQ(golden.traceRecords.size(), 3);
    }

    EncryptedLedgerPersistence file { ledgerPath(),
        DerivedKeys::derive(tovra::testing::testMasterKey()).ledgerEnvelopeKey };
    LedgerSnapshot golden;
};

} // namespace

TEST_F(LedgerPersistenceScopeTest, ChangesWithoutTheRecordsSeeNoneAndKeepTheStoredOnes)
{
    EncryptedLedgerPersistence reopened(
        ledgerPath(), DerivedKeys::derive(tovra::testing::testMasterKey()).ledgerEnvelopeKey);
    MemoryPersistence memory(golden);
    for (LedgerPersistence *persistence :
        std::initializer_list<LedgerPersistence *> { &file, &reopened, &memory }) {
        LedgerSnapshot expected = golden;
        expected.traceRecords.clear();
        EXPECT_EQ(persistence->loadWithoutTraceRecords(), expected);

        expected.isPaused = !golden.isPaused;
        const LedgerSnapshot stored = persistence->updateWithoutTraceRecords([](LedgerSnapshot &snapshot) {
            EXPECT_TRUE(snapshot.traceRecords.isEmpty());
            snapshot.isPaused = !snapshot.isPaused;
            return true;
        });
        EXPECT_EQ(stored, expected);

        expected.traceRecords = golden.traceRecords;
        EXPECT_EQ(persistence->load(), expected);
        persistence->updateWithoutTraceRecords([](LedgerSnapshot &snapshot) {
            snapshot.isPaused = !snapshot.isPaused;
            return true;
        });
    }
    EXPECT_EQ(tovra::testing::decryptLedger(ledgerPath()), TovraJson::encode(golden));
}

TEST_F(LedgerPersistenceScopeTest, AChangeWithoutTheRecordsCannotAddOne)
{
    MemoryPersistence memory(golden);
    for (LedgerPersistence *persistence : std::initializer_list<LedgerPersistence *> { &file, &memory }) {
        EXPECT_THROW(persistence->updateWithoutTraceRecords([&](LedgerSnapshot &snapshot) {
            snapshot.isPaused = true;
            snapshot.traceRecords.append(golden.traceRecords.first());
            return true;
        }),
            std::logic_error);
        EXPECT_EQ(persistence->load(), golden);
    }
    EXPECT_EQ(readBytes(ledgerPath()), readBytes(goldenLedgerPath));
}

TEST_F(LedgerPersistenceScopeTest, RecordsWrittenByAnotherProcessAreReadWhenAskedFor)
{
    EncryptedLedgerPersistence other(
        ledgerPath(), DerivedKeys::derive(tovra::testing::testMasterKey()).ledgerEnvelopeKey);
    EXPECT_EQ(file.loadWithoutTraceRecords().isPaused, golden.isPaused);
    // Records the other process left as they were, and then ones it changed.
    other.updateWithoutTraceRecords([](LedgerSnapshot &snapshot) {
        snapshot.isPaused = true;
        return true;
    });
    EXPECT_EQ(file.load().traceRecords, golden.traceRecords);
    EXPECT_TRUE(file.loadWithoutTraceRecords().isPaused);
    other.update([](LedgerSnapshot &snapshot) {
        snapshot.traceRecords.removeFirst();
        snapshot.isPaused = false;
        return true;
    });
    EXPECT_FALSE(file.loadWithoutTraceRecords().isPaused);
    EXPECT_EQ(file.load().traceRecords, golden.traceRecords.sliced(1));
}
