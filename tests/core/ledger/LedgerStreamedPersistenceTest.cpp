// A long-used ledger read and written a slice at a time, as the browser host
// does: what it writes is byte for byte what reading the whole file writes,
// every damage is refused with the same error, and a file that changes in
// place between the read and the write is never copied from.

#include "core/ledger/EncryptedLedgerPersistence.h"
#include "core/ledger/TovraLedgerError.h"

#include "LedgerTestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <functional>
#include <variant>

#include <fcntl.h>
#include <sys/stat.h>

using namespace tovra;
using namespace tovra::testing;

namespace {

const QString goldenLedgerPath = QStringLiteral(TOVRA_GOLDEN_LEDGER_DIR "/ledger-v1.json.enc");

QByteArray envelopeKey()
{
    return DerivedKeys::derive(testMasterKey()).ledgerEnvelopeKey;
}

// Every file is read a slice at a time, however small.
constexpr qint64 alwaysStreamed = 0;
// No file is.
constexpr qint64 neverStreamed = std::numeric_limits<qint64>::max();

class LedgerStreamedPersistenceTest : public LedgerFixture {
protected:
    void SetUp() override
    {
        // Over a megabyte: several windows of the file and slices of its text.
        QDir().mkpath(QFileInfo(ledgerPath()).absolutePath());
        writeBytes(ledgerPath(), readBytes(goldenLedgerPath));
        EncryptedLedgerPersistence whole(ledgerPath(), envelopeKey());
        whole.update([](LedgerSnapshot &snapshot) {
            const QList<TraceRecord> golden = snapshot.traceRecords;
            for (int index = 0; index < 1600; ++index) {
                TraceRecord trace = golden.at(index % golden.size());
                trace.id = QUuid(uint(index), 7, 7, 1, 2, 3, 4, 5, 6, 7, 8);
                snapshot.traceRecords.append(trace);
            }
            return true;
        });
        ASSERT_GT(QFileInfo(ledgerPath()).size(), 1 << 20);
    }

    QString copyOfLedger(const QString &name) const
    {
        const QString path = m_folder.path() + QLatin1Char('/') + name + QStringLiteral("/ledger.json.enc");
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeBytes(path, readBytes(ledgerPath()));
        return path;
    }

    static bool pauseAndAddSource(LedgerSnapshot &snapshot, int step)
    {
        snapshot.isPaused = !snapshot.isPaused;
        PendingSource source;
        source.id = QUuid(uint(step), 1, 1, 1, 1, 1, 1, 1, 1, 1, 1);
        source.captureMethod = CaptureMethod::chromeExtension;
        source.sanitizedURL = QStringLiteral("https://example.org/step/%1").arg(step);
        source.capturedAt = at(step);
        source.expiresAt = at(step + 600);
        snapshot.pendingSources.append(source);
        snapshot.updatedAt = at(step);
        return true;
    }
};

} // namespace

TEST_F(LedgerStreamedPersistenceTest, ChangesWithoutTheRecordsWriteWhatAWholeReadWrites)
{
    const QString streamedPath = copyOfLedger(QStringLiteral("streamed"));
    const QString wholePath = copyOfLedger(QStringLiteral("whole"));
    EncryptedLedgerPersistence streamed(
        streamedPath, envelopeKey(), LedgerMigrations::standard(), alwaysStreamed);
    EncryptedLedgerPersistence whole(wholePath, envelopeKey(), LedgerMigrations::standard(), neverStreamed);

    EXPECT_EQ(streamed.loadWithoutTraceRecords(), whole.loadWithoutTraceRecords());
    // Twice: the second change copies from the file the first one wrote.
    for (int step = 1; step <= 2; ++step) {
        const auto change = [step](LedgerSnapshot &snapshot) { return pauseAndAddSource(snapshot, step); };
        EXPECT_EQ(streamed.updateWithoutTraceRecords(change), whole.updateWithoutTraceRecords(change));
        ASSERT_EQ(decryptLedger(streamedPath), decryptLedger(wholePath)) << "step " << step;
    }
    // A reader that wants the records reads the whole file again.
    const LedgerSnapshot all = streamed.load();
    EXPECT_EQ(all.traceRecords.size(), 1603);
    EXPECT_EQ(all, EncryptedLedgerPersistence(wholePath, envelopeKey()).load());
}

TEST_F(LedgerStreamedPersistenceTest, DamageIsRefusedWithTheWholeReadsErrorAndTheFileKept)
{
    const QByteArray intact = readBytes(ledgerPath());
    const auto errorOf = [&](qint64 streamedFromBytes) {
        try {
            EncryptedLedgerPersistence(
                ledgerPath(), envelopeKey(), LedgerMigrations::standard(), streamedFromBytes)
                .updateWithoutTraceRecords(
                    [](LedgerSnapshot &snapshot) { return pauseAndAddSource(snapshot, 1); });
        } catch (const TovraLedgerError &error) {
            return error.localizedDescription();
        }
        return QStringLiteral("no error");
    };
    // The status's read, which skips the records' check, refuses the same.
    const auto summaryErrorOf = [&] {
        try {
            EncryptedLedgerPersistence(
                ledgerPath(), envelopeKey(), LedgerMigrations::standard(), alwaysStreamed)
                .loadSummary();
        } catch (const TovraLedgerError &error) {
            return error.localizedDescription();
        }
        return QStringLiteral("no error");
    };
    const qsizetype size = intact.size();
    const qsizetype flips[] = { 0, 4, 5, 20, size / 3, size / 2, size - 17, size - 1 };
    for (const qsizetype position : flips) {
        QByteArray damaged = intact;
        damaged[position] = char(damaged.at(position) ^ 0x10);
        writeBytes(ledgerPath(), damaged);
        const QString expected = errorOf(neverStreamed);
        EXPECT_NE(expected, QStringLiteral("no error")) << position;
        EXPECT_EQ(errorOf(alwaysStreamed), expected) << position;
        EXPECT_EQ(summaryErrorOf(), expected) << position;
        EXPECT_EQ(readBytes(ledgerPath()), damaged) << position;
    }
    for (const qsizetype length : { qsizetype(3), qsizetype(30), size / 2, size - 1 }) {
        writeBytes(ledgerPath(), intact.first(length));
        EXPECT_EQ(errorOf(alwaysStreamed), errorOf(neverStreamed)) << length;
        EXPECT_EQ(summaryErrorOf(), errorOf(neverStreamed)) << length;
        EXPECT_EQ(readBytes(ledgerPath()), intact.first(length)) << length;
    }
}

TEST_F(LedgerStreamedPersistenceTest, AFileChangedInPlaceAfterItsReadIsNeverCopiedFrom)
{
    EncryptedLedgerPersistence streamed(
        ledgerPath(), envelopeKey(), LedgerMigrations::standard(), alwaysStreamed);
    streamed.loadWithoutTraceRecords();

    // Changed in place, its stamp put back: the state read looks current.
    struct stat before { };
    ASSERT_EQ(::stat(QFile::encodeName(ledgerPath()).constData(), &before), 0);
    QFile file(ledgerPath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 middle = file.size() / 2;
    ASSERT_TRUE(file.seek(middle));
    const char byte = char(file.read(1).at(0) ^ 0x01);
    ASSERT_TRUE(file.seek(middle) && file.write(&byte, 1) == 1);
    file.close();
    const timespec times[] = { before.st_atim, before.st_mtim };
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(ledgerPath()).constData(), times, 0), 0);
    const QByteArray tampered = readBytes(ledgerPath());

    EXPECT_THROW(streamed.updateWithoutTraceRecords(
                     [](LedgerSnapshot &snapshot) { return pauseAndAddSource(snapshot, 1); }),
        TovraLedgerError);
    EXPECT_EQ(readBytes(ledgerPath()), tampered);
    EXPECT_EQ(QDir(QFileInfo(ledgerPath()).absolutePath())
                  .entryList({ QStringLiteral("*.tmp-*") }, QDir::Files | QDir::Hidden)
                  .size(),
        0);
}

// The status reads every field but the trace records' as strictly as any
// read; records it skipped are checked by the next operation that needs them,
// which then reports what a whole read reports.
TEST_F(LedgerStreamedPersistenceTest, AStatusReadSkipsOnlyTheRecordsCheck)
{
    using Outcome = std::variant<LedgerSnapshot, QString>;
    const auto outcomeOf = [](const std::function<LedgerSnapshot()> &read) -> Outcome {
        try {
            return read();
        } catch (const TovraLedgerError &error) {
            return error.localizedDescription();
        }
    };
    const LedgerSnapshot head
        = EncryptedLedgerPersistence(ledgerPath(), envelopeKey()).loadWithoutTraceRecords();
    const QByteArray json = decryptLedger(ledgerPath());
    const QByteArray record = "{\"confidence\":\"observed\"";
    ASSERT_TRUE(json.contains(record));
    const struct {
        const char *name;
        QByteArray json;
    } ledgers[] = {
        { "intact", json },
        { "a record of an unknown confidence",
            QByteArray(json).replace(json.lastIndexOf(record), record.size(), "{\"confidence\":\"bogus\"") },
    };
    for (const auto &ledger : ledgers) {
        SCOPED_TRACE(ledger.name);
        writeBytes(ledgerPath(), sealLedgerJson(ledger.json));
        const Outcome whole = outcomeOf([&] {
            return EncryptedLedgerPersistence(
                ledgerPath(), envelopeKey(), LedgerMigrations::standard(), neverStreamed)
                .loadWithoutTraceRecords();
        });
        for (const qint64 streamedFrom : { alwaysStreamed, neverStreamed }) {
            EncryptedLedgerPersistence persistence(
                ledgerPath(), envelopeKey(), LedgerMigrations::standard(), streamedFrom);
            if (streamedFrom == alwaysStreamed) {
                EXPECT_EQ(persistence.loadSummary(), head);
            } else {
                EXPECT_EQ(outcomeOf([&] { return persistence.loadSummary(); }), whole);
            }
            // The same persistence, the file unchanged: the next read checks
            // the records all the same.
            EXPECT_EQ(outcomeOf([&] { return persistence.loadWithoutTraceRecords(); }), whole)
                << streamedFrom;
        }
    }
}
