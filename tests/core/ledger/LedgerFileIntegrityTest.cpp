#include "core/ledger/EncryptedLedgerPersistence.h"
#include "core/ledger/TovraLedger.h"
#include "core/ledger/TovraLedgerError.h"
#include "core/records/TovraJson.h"
#include "core/records/TovraJsonError.h"

#include "LedgerTestSupport.h"

#include <QDir>
#include <QJsonArray>

#include <algorithm>

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::at;
using tovra::testing::browserCapture;
using tovra::testing::readBytes;
using tovra::testing::sealLedgerJson;
using tovra::testing::writeBytes;

namespace {

class LedgerFileIntegrityTest : public tovra::testing::LedgerFixture {
protected:
    // A small ledger with one of everything, written through the ledger itself.
    QByteArray writeHealthyLedger()
    {
        auto ledger = openLedger();
        ledger->captureSource(browserCapture(QStringLiteral("kept text")), at(0));
        ledger->commitTracePaste(tovra::testing::obsidianNote(), QStringLiteral("kept text"), at(1));
        ledger->addDenylistEntry(DenylistKind::domain, QStringLiteral("example.com"), at(2));
        return readBytes(ledgerPath());
    }

    TovraLedgerError::Kind openFailure(const QByteArray &masterKey = tovra::testing::testMasterKey())
    {
        try {
            openLedger(masterKey);
        } catch (const TovraLedgerError &error) {
            lastDescription = error.localizedDescription();
            return error.kind();
        }
        ADD_FAILURE() << "the ledger opened";
        return TovraLedgerError::Kind::fileSystemFailure;
    }

    QStringList folderEntries() const
    {
        return QDir(QFileInfo(ledgerPath()).absolutePath()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Opening `bytes` fails with `expected`, and the file keeps exactly those bytes.
    void expectRefused(const QByteArray &bytes, std::initializer_list<TovraLedgerError::Kind> expected,
        const QByteArray &masterKey = tovra::testing::testMasterKey())
    {
        writeBytes(ledgerPath(), bytes);
        EXPECT_TRUE(std::ranges::count(expected, openFailure(masterKey)) == 1);
        EXPECT_EQ(readBytes(ledgerPath()), bytes);
    }

    QString lastDescription;
};

QByteArray snapshotJson(int version)
{
    LedgerSnapshot snapshot;
    snapshot.isPaused = true;
    snapshot.updatedAt = at(0);
    QJsonObject object = toJson(snapshot);
    object.insert(QStringLiteral("version"), version);
    return TovraJson::encode(object);
}

// The layout of a version before the first released one, used to prove that an
// old file is migrated: the same content under other key names.
QByteArray versionZeroJson()
{
    PendingSource source;
    source.id = QUuid::fromString(QStringLiteral("6f1c1f0e-6b1d-4c58-9a55-3f0d8f1f0a11"));
    source.captureMethod = CaptureMethod::chromeExtension;
    source.contentFingerprint = QString(64, QLatin1Char('a'));
    source.byteCount = 12;
    source.sanitizedURL = QStringLiteral("https://example.org/");
    source.capturedAt = at(0);
    source.expiresAt = at(3900);
    const DenylistEntry rule { DenylistKind::bundleID, QStringLiteral("com.example.Notes"), at(0) };

    QJsonObject object;
    object.insert(QStringLiteral("version"), 0);
    object.insert(QStringLiteral("sources"), QJsonArray { toJson(source) });
    object.insert(QStringLiteral("traces"), QJsonArray {});
    object.insert(QStringLiteral("denylist"), QJsonArray { toJson(rule) });
    object.insert(QStringLiteral("paused"), true);
    object.insert(QStringLiteral("updatedAt"), TovraJson::formatDate(at(0)));
    return TovraJson::encode(object);
}

QJsonObject migrateFromZero(const QJsonObject &old)
{
    if (!old.contains(QStringLiteral("sources")))
        throw TovraJsonError::missingKey(QStringLiteral("sources"));
    QJsonObject migrated;
    migrated.insert(QStringLiteral("version"), 1);
    migrated.insert(QStringLiteral("pendingSources"), old.value(QStringLiteral("sources")));
    migrated.insert(QStringLiteral("traceRecords"), old.value(QStringLiteral("traces")));
    migrated.insert(QStringLiteral("customDenylistEntries"), old.value(QStringLiteral("denylist")));
    migrated.insert(QStringLiteral("isPaused"), old.value(QStringLiteral("paused")));
    migrated.insert(QStringLiteral("updatedAt"), old.value(QStringLiteral("updatedAt")));
    return migrated;
}

LedgerMigrations migrationsFromZero()
{
    return LedgerMigrations(0, LedgerSnapshot::currentVersion, { { 0, migrateFromZero } });
}

} // namespace

TEST_F(LedgerFileIntegrityTest, EveryFlippedBitAndTruncationIsReportedAndTheFileStaysAsItWas)
{
    using enum TovraLedgerError::Kind;
    const QByteArray healthy = writeHealthyLedger();
    ASSERT_GT(healthy.size(), 100);
    for (qsizetype position = 0; position < healthy.size(); ++position) {
        SCOPED_TRACE(position);
        QByteArray tampered = healthy;
        tampered[position] = static_cast<char>(tampered[position] ^ 0x01);
        expectRefused(tampered, { undecryptable, corrupted });
        expectRefused(healthy.left(position), { undecryptable, corrupted });
    }
    EXPECT_TRUE(lastDescription.contains(ledgerPath()));
    EXPECT_TRUE(lastDescription.contains(QStringLiteral("left unchanged")));
}

TEST_F(LedgerFileIntegrityTest, WrongKeyVersionOrShapeIsReportedAndKept)
{
    using enum TovraLedgerError::Kind;
    const QByteArray healthy = writeHealthyLedger();
    expectRefused(healthy, { undecryptable }, QByteArray(32, '\x33'));
    EXPECT_TRUE(lastDescription.contains(QStringLiteral("key")));
    expectRefused(healthy, { keyUnavailable }, QByteArray(16, 'k'));
    EXPECT_EQ(openLedger()->listRecords().size(), 1);

    expectRefused(sealLedgerJson(snapshotJson(LedgerSnapshot::currentVersion + 1)), { newerVersion });
    EXPECT_TRUE(
        lastDescription.contains(QStringLiteral("version %1").arg(LedgerSnapshot::currentVersion + 1)));
    expectRefused(
        sealLedgerJson(snapshotJson(LedgerSnapshot::oldestSupportedVersion - 1)), { unsupportedVersion });
    for (const QByteArray &json :
        { QByteArrayLiteral("not json"), QByteArrayLiteral("[1,2]"), QByteArrayLiteral("{\"version\":\"1\"}"),
            QByteArrayLiteral("{\"version\":1,\"pendingSources\":[]}") }) {
        SCOPED_TRACE(json.toStdString());
        expectRefused(sealLedgerJson(json), { corrupted });
    }
    EXPECT_EQ(folderEntries(), (QStringList { QStringLiteral("ledger.json.enc"), QStringLiteral("lock") }));
}

TEST_F(LedgerFileIntegrityTest, AnOpenLedgerNeverWritesOverAFileThatTurnedBad)
{
    writeHealthyLedger();
    auto ledger = openLedger();
    const QByteArray newer = sealLedgerJson(snapshotJson(LedgerSnapshot::currentVersion + 1));
    writeBytes(ledgerPath(), newer);

    EXPECT_THROW(ledger->captureSource(browserCapture(QStringLiteral("new")), at(10)), TovraLedgerError);
    EXPECT_THROW(ledger->clearRecords(at(12)), TovraLedgerError);
    EXPECT_EQ(readBytes(ledgerPath()), newer);

    QByteArray tampered = newer;
    tampered[tampered.size() - 1] = static_cast<char>(tampered[tampered.size() - 1] ^ 0x80);
    writeBytes(ledgerPath(), tampered);
    EXPECT_THROW(ledger->addDenylistEntry(DenylistKind::domain, QStringLiteral("x.example"), at(13)),
        TovraLedgerError);
    EXPECT_EQ(readBytes(ledgerPath()), tampered);
}

TEST_F(LedgerFileIntegrityTest, OlderFileIsMigratedAndItsBytesKeptAsBackup)
{
    QDir().mkpath(QFileInfo(ledgerPath()).absolutePath());
    const QByteArray original = sealLedgerJson(versionZeroJson());
    writeBytes(ledgerPath(), original);

    const DerivedKeys keys = DerivedKeys::derive(tovra::testing::testMasterKey());
    const LedgerSnapshot migrated
        = EncryptedLedgerPersistence(ledgerPath(), keys.ledgerEnvelopeKey, migrationsFromZero()).load();
    ASSERT_EQ(migrated.pendingSources.size(), 1);
    EXPECT_EQ(migrated.pendingSources.first().sanitizedURL, QStringLiteral("https://example.org/"));

    EXPECT_EQ(readBytes(ledgerPath() + QStringLiteral(".v0.bak")), original);
    EXPECT_EQ(LedgerSnapshot::versionOf(TovraJson::decodeObject(tovra::testing::decryptLedger(ledgerPath()))),
        LedgerSnapshot::currentVersion);

    // The migrated file is an ordinary current ledger for every later reader.
    auto ledger = openLedger();
    EXPECT_TRUE(ledger->isPaused());
    EXPECT_EQ(ledger->listDenylistEntries().last().entry.value, QStringLiteral("com.example.Notes"));
    ledger->setPaused(false, at(5));
    EXPECT_EQ(folderEntries(),
        (QStringList { QStringLiteral("ledger.json.enc"), QStringLiteral("ledger.json.enc.v0.bak"),
            QStringLiteral("lock") }));
}

TEST_F(LedgerFileIntegrityTest, FailedMigrationLeavesTheOldFileAndWritesNoBackup)
{
    QDir().mkpath(QFileInfo(ledgerPath()).absolutePath());
    QJsonObject broken = TovraJson::decodeObject(versionZeroJson());
    broken.remove(QStringLiteral("sources"));
    const QByteArray original = sealLedgerJson(TovraJson::encode(broken));
    writeBytes(ledgerPath(), original);

    const DerivedKeys keys = DerivedKeys::derive(tovra::testing::testMasterKey());
    EncryptedLedgerPersistence persistence(ledgerPath(), keys.ledgerEnvelopeKey, migrationsFromZero());
    EXPECT_THROW(persistence.load(), TovraLedgerError);
    EXPECT_THROW(persistence.update([](LedgerSnapshot &) { return true; }), TovraLedgerError);
    EXPECT_EQ(readBytes(ledgerPath()), original);
    EXPECT_FALSE(QFile::exists(ledgerPath() + QStringLiteral(".v0.bak")));
}

TEST_F(LedgerFileIntegrityTest, MigrationTableMustCoverEverySupportedVersion)
{
    EXPECT_THROW(LedgerMigrations(0, 2, { { 0, migrateFromZero } }), std::invalid_argument);
    EXPECT_THROW(LedgerMigrations(2, 1, {}), std::invalid_argument);
    EXPECT_EQ(LedgerMigrations::standard().currentVersion(), LedgerSnapshot::currentVersion);
}
