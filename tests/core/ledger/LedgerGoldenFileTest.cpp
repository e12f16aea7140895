// A ledger file written by an earlier build, kept as it was: every later
// build must read it as the same snapshot and write that snapshot back as the
// same bytes, so that old and new builds can share one ledger.

#include "core/ledger/EncryptedLedgerPersistence.h"
#include "core/ledger/LedgerCodec.h"

#include "LedgerTestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::at;
using tovra::testing::readBytes;

namespace {

const QString goldenLedgerPath = QStringLiteral(TOVRA_GOLDEN_LEDGER_DIR "/ledger-v1.json.enc");
const QString goldenJsonPath = QStringLiteral(TOVRA_GOLDEN_LEDGER_DIR "/ledger-v1.json");

QUuid uuid(const char *text)
{
    return QUuid::fromString(QLatin1StringView(text));
}

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QLatin1StringView(iso), Qt::ISODateWithMs).toUTC();
}

// Text as it arrives from windows and pages: quotes, backslashes, control
// characters, characters outside the BMP and a lone surrogate.
QString awkwardTitle()
{
    QString title
        = QStringLiteral("Say \"hi\" \\ tab\there\nline 2 \u0001\u001f\u007f \u2028 </script> 😀 标题 é");
    title.append(QChar(0xD800));
    title.append(QStringLiteral(" end"));
    return title;
}

PendingSource browserSource()
{
    PendingSource source;
    source.id = uuid("3f2504e0-4f89-41d3-9a0c-0305e82c3301");
    source.captureMethod = CaptureMethod::chromeExtension;
    source.contentFingerprint = QStringLiteral("ab").repeated(32);
    source.byteCount = 1'234;
    source.sanitizedURL = QStringLiteral("https://example.com/article?id=7&lang=zh%20CN");
    source.pageTitle = QStringLiteral("标题 — \"Example\" 😀");
    source.capturedAt = at(0);
    source.expiresAt = at(TovraLedger::pendingSourceLifetimeSeconds);
    return source;
}

PendingSource applicationSource()
{
    PendingSource source;
    source.id = uuid("9b2c1a3e-0000-4000-8000-00000000abcd");
    source.captureMethod = CaptureMethod::keyboardObservation;
    source.byteCount = 0;
    source.sourceAppName = QStringLiteral("Text Editor");
    source.sourceAppBundleID = QStringLiteral("org.gnome.TextEditor");
    source.sourceProcessIdentifier = 2'147'483'647;
    source.capturedAt = at(60).addMSecs(7);
    source.expiresAt = source.capturedAt.addSecs(TovraLedger::pendingSourceLifetimeSeconds);
    return source;
}

DestinationContext fullDestination()
{
    DestinationContext destination;
    destination.appBundleID = QStringLiteral("md.obsidian.Obsidian");
    destination.appName = QStringLiteral("Obsidian");
    destination.windowTitle = awkwardTitle();
    destination.documentID = QStringLiteral("vault/notes.md");
    destination.url = QStringLiteral("https://notes.example/vault?x=1");
    destination.fieldRole = QStringLiteral("text");
    destination.fieldLabel = QStringLiteral("Editor");
    destination.inputType = QStringLiteral("textarea");
    destination.autocomplete = QStringLiteral("off");
    destination.isSecureTextEntry = true;
    return destination;
}

QList<TraceRecord> traceRecords()
{
    TraceRecord verified;
    verified.id = uuid("0d5a8f4c-1111-4222-8333-444455556666");
    verified.source = browserSource();
    verified.paste.id = uuid("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee");
    verified.paste.destination = fullDestination();
    verified.paste.pastedAt = at(30);
    verified.paste.contentFingerprint = browserSource().contentFingerprint;
    verified.paste.byteCount = 1'234;
    verified.confidence = TraceConfidence::verified;
    verified.receiptStatus = PasteReceiptStatus::confirmed;

    TraceRecord inferred;
    inferred.id = uuid("11111111-2222-4333-8444-555555555555");
    inferred.paste.id = uuid("66666666-7777-4888-9999-000000000000");
    inferred.paste.destination.appBundleID = QStringLiteral("org.gnome.TextEditor");
    inferred.paste.pastedAt = utc("2028-02-29T23:59:59.999Z");
    inferred.paste.byteCount = 0;
    inferred.paste.isImage = true;
    inferred.confidence = TraceConfidence::inferred;
    inferred.receiptStatus = PasteReceiptStatus::observed;

    TraceRecord observed;
    observed.id = uuid("fedcba98-7654-4321-8fed-cba987654321");
    observed.source = applicationSource();
    observed.paste.id = uuid("0000000a-000b-400c-800d-00000000000e");
    observed.paste.destination.appBundleID = QStringLiteral("com.example.Very.Long.Bundle");
    observed.paste.destination.windowTitle = QStringLiteral("Notes — 2026");
    observed.paste.pastedAt = utc("0001-01-01T00:00:00.000Z");
    observed.paste.contentFingerprint = QStringLiteral("0f").repeated(32);
    observed.paste.byteCount = 1'099'511'627'776;
    observed.confidence = TraceConfidence::observed;
    observed.receiptStatus = PasteReceiptStatus::posted;

    return { verified, inferred, observed };
}

LedgerSnapshot goldenSnapshot()
{
    LedgerSnapshot snapshot;
    snapshot.pendingSources = { browserSource(), applicationSource() };
    snapshot.traceRecords = traceRecords();
    snapshot.customDenylistEntries = {
        DenylistEntry { DenylistKind::domain, QStringLiteral("bank.example"), at(1) },
        DenylistEntry { DenylistKind::bundleID, QStringLiteral("org.keepassxc.KeePassXC"),
            utc("9999-12-31T23:59:59.999Z") },
    };
    snapshot.isPaused = false;
    snapshot.updatedAt = at(90).addMSecs(123);
    return snapshot;
}

class LedgerGoldenFileTest : public tovra::testing::LedgerFixture {
protected:
    void SetUp() override { restoreGoldenFile(); }

    void restoreGoldenFile()
    {
        QDir().mkpath(QFileInfo(ledgerPath()).absolutePath());
        tovra::testing::writeBytes(ledgerPath(), readBytes(goldenLedgerPath));
    }

    QByteArray envelopeKey = DerivedKeys::derive(tovra::testing::testMasterKey()).ledgerEnvelopeKey;
    QByteArray goldenJson = readBytes(goldenJsonPath);
};

// The part of a ledger's JSON that holds the trace records.
QByteArray traceRecordsText(const QByteArray &json)
{
    const qsizetype start = json.indexOf("\"traceRecords\":[");
    const qsizetype end = json.indexOf("],\"updatedAt\":");
    return start < 0 || end < start ? QByteArray() : json.sliced(start, end - start);
}

} // namespace

TEST_F(LedgerGoldenFileTest, TheGoldenFileHoldsTheGoldenJson)
{
    ASSERT_FALSE(goldenJson.isEmpty());
    EXPECT_EQ(EncryptedEnvelope::open(readBytes(goldenLedgerPath), envelopeKey), goldenJson);
}

TEST_F(LedgerGoldenFileTest, ReadsAsTheSnapshotItWasWrittenFrom)
{
    EXPECT_EQ(EncryptedLedgerPersistence(ledgerPath(), envelopeKey).load(), goldenSnapshot());
    EXPECT_EQ(TovraJson::decode<LedgerSnapshot>(goldenJson), goldenSnapshot());
}

TEST_F(LedgerGoldenFileTest, TheSameSnapshotIsWrittenAsTheSameBytes)
{
    LedgerCodec codec(envelopeKey, LedgerMigrations::standard(), ledgerPath());
    EXPECT_EQ(EncryptedEnvelope::open(codec.encode(goldenSnapshot()), envelopeKey), goldenJson);
    EXPECT_EQ(TovraJson::encode(goldenSnapshot()), goldenJson);

    EncryptedLedgerPersistence persistence(ledgerPath(), envelopeKey);
    persistence.update([](LedgerSnapshot &snapshot) {
        snapshot.isPaused = true;
        return true;
    });
    persistence.update([](LedgerSnapshot &snapshot) {
        snapshot.isPaused = false;
        return true;
    });
    EXPECT_EQ(tovra::testing::decryptLedger(ledgerPath()), goldenJson);
}

TEST_F(LedgerGoldenFileTest, ChangesElsewhereLeaveTheTraceRecordsByteForByte)
{
    const std::function<void(TovraLedger &)> changes[] = {
        [](TovraLedger &ledger) { ledger.setPaused(true, at(100)); },
        [](TovraLedger &ledger) {
            ledger.captureSource(tovra::testing::browserCapture(QStringLiteral("new text")), at(100));
        },
        [](TovraLedger &ledger) {
            ledger.addDenylistEntry(DenylistKind::domain, QStringLiteral("news.example"), at(100));
        },
        [](TovraLedger &ledger) { ledger.removePendingSources({ browserSource().id }, at(100)); },
    };
    const QByteArray goldenRecords = traceRecordsText(goldenJson);
    ASSERT_FALSE(goldenRecords.isEmpty());
    for (const auto &change : changes) {
        restoreGoldenFile();
        change(*openLedger());
        const QByteArray written = tovra::testing::decryptLedger(ledgerPath());
        EXPECT_EQ(traceRecordsText(written), goldenRecords);
        EXPECT_EQ(written, TovraJson::encode(TovraJson::decode<LedgerSnapshot>(written)));
        EXPECT_NE(written, goldenJson);
    }
}

TEST_F(LedgerGoldenFileTest, ANewRecordIsAppendedAfterTheGoldenOnes)
{
    auto ledger = openLedger();
    const PasteCommitResult result = ledger->observeStandardPaste(
        tovra::testing::obsidianNote(), QStringLiteral("unmatched text"), at(100));
    ASSERT_TRUE(result.trace());

    const QByteArray written = tovra::testing::decryptLedger(ledgerPath());
    const QByteArray goldenRecords = traceRecordsText(goldenJson);
    EXPECT_TRUE(traceRecordsText(written).startsWith(goldenRecords + ','));
    const LedgerSnapshot stored = TovraJson::decode<LedgerSnapshot>(written);
    ASSERT_EQ(stored.traceRecords.size(), 4);
    EXPECT_EQ(stored.traceRecords.first(3), traceRecords());
    EXPECT_EQ(stored.traceRecords.last(), *result.trace());
}
