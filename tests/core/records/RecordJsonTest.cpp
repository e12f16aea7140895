#include "RecordTestFixtures.h"

#include "core/records/CustomDenylist.h"
#include "core/records/DenylistEntry.h"
#include "core/records/PasteCommitResult.h"
#include "core/records/SourceCaptureResult.h"
#include "core/records/TovraStatus.h"
#include "core/records/TraceFilter.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

using namespace tovra;
using namespace tovra::testing;

namespace {

QStringList keysOf(const QJsonObject &object)
{
    return object.keys();
}

// Encodes to bytes and decodes again, as the ledger file and the native host do.
template <typename Record> Record throughBytes(const Record &record)
{
    return TovraJson::decode<Record>(TovraJson::encode(record));
}

} // namespace

TEST(PendingSourceJson, RoundTripsEveryFieldUnderItsName)
{
    const PendingSource source = browserSource();
    const QJsonObject json = toJson(source);
    EXPECT_EQ(keysOf(json),
        (QStringList { "byteCount", "captureMethod", "capturedAt", "contentFingerprint", "expiresAt", "id",
            "pageTitle", "sanitizedURL", "sourceAppBundleID", "sourceAppName", "sourceProcessIdentifier" }));
    EXPECT_EQ(json.value("id").toString(), QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301"));
    EXPECT_EQ(json.value("captureMethod").toString(), QStringLiteral("chromeExtension"));
    EXPECT_EQ(json.value("capturedAt").toString(), QStringLiteral("2026-12-06T21:22:17.123Z"));
    EXPECT_EQ(json.value("sourceProcessIdentifier").toInteger(), 4242);
    EXPECT_EQ(throughBytes(source), source);
}

TEST(PendingSourceJson, AbsentOptionalsAreLeftOutNotNull)
{
    const PendingSource source = applicationSource();
    const QByteArray bytes = TovraJson::encode(source);
    EXPECT_FALSE(bytes.contains("null"));
    EXPECT_EQ(keysOf(toJson(source)),
        (QStringList { "byteCount", "captureMethod", "capturedAt", "expiresAt", "id" }));
    EXPECT_EQ(throughBytes(source), source);
}

TEST(PendingSourceJson, ExpiryIsInclusiveOfItsInstant)
{
    const PendingSource source = browserSource();
    EXPECT_FALSE(source.isExpired(source.expiresAt));
    EXPECT_FALSE(source.isExpired(source.capturedAt));
    EXPECT_TRUE(source.isExpired(source.expiresAt.addMSecs(1)));
}

TEST(PendingSourceJson, RefusesNegativeSizesAndOutOfRangeProcessIdentifiers)
{
    QJsonObject json = toJson(browserSource());
    json.insert("byteCount", -1);
    EXPECT_THROW(fromJson<PendingSource>(json), TovraJsonError);
    json = toJson(browserSource());
    json.insert("sourceProcessIdentifier", qint64(1) << 40);
    EXPECT_THROW(fromJson<PendingSource>(json), TovraJsonError);
}

TEST(DestinationContextJson, RoundTripsFullAndMinimalContexts)
{
    const DestinationContext full = fullDestination();
    EXPECT_EQ(keysOf(toJson(full)),
        (QStringList { "appBundleID", "appName", "autocomplete", "documentID", "fieldLabel", "fieldRole",
            "inputType", "isSecureTextEntry", "url", "windowTitle" }));
    EXPECT_EQ(throughBytes(full), full);

    DestinationContext minimal;
    minimal.appBundleID = QStringLiteral("org.gnome.TextEditor");
    minimal.isSecureTextEntry = true;
    EXPECT_EQ(TovraJson::encode(minimal),
        QByteArray(R"({"appBundleID":"org.gnome.TextEditor","isSecureTextEntry":true})"));
    EXPECT_EQ(throughBytes(minimal), minimal);
}

TEST(TraceRecordJson, NestsSourceAndPasteUnderTheirKeys)
{
    const TraceRecord trace = verifiedTrace();
    const QJsonObject json = toJson(trace);
    EXPECT_EQ(keysOf(json), (QStringList { "confidence", "id", "paste", "receiptStatus", "source" }));
    EXPECT_EQ(json.value("confidence").toString(), QStringLiteral("verified"));
    EXPECT_EQ(json.value("receiptStatus").toString(), QStringLiteral("posted"));
    EXPECT_EQ(keysOf(json.value("paste").toObject()),
        (QStringList { "byteCount", "contentFingerprint", "destination", "id", "isImage", "pastedAt" }));
    EXPECT_EQ(json.value("paste").toObject().value("pastedAt").toString(),
        QStringLiteral("2026-12-06T21:23:00.500Z"));
    EXPECT_EQ(throughBytes(trace), trace);
}

TEST(TraceRecordJson, ObservedPasteWithoutSourceOrContent)
{
    TraceRecord trace = verifiedTrace();
    trace.source.reset();
    trace.paste.contentFingerprint.reset();
    trace.paste.byteCount = 0;
    trace.paste.isImage = true;
    trace.confidence = TraceConfidence::observed;
    trace.receiptStatus = PasteReceiptStatus::observed;
    const QJsonObject json = toJson(trace);
    EXPECT_FALSE(json.contains("source"));
    EXPECT_FALSE(json.value("paste").toObject().contains("contentFingerprint"));
    EXPECT_EQ(throughBytes(trace), trace);
}

TEST(TraceRecordJson, NestedErrorsNameTheFullKeyPath)
{
    QJsonObject json = toJson(verifiedTrace());
    QJsonObject paste = json.value("paste").toObject();
    QJsonObject destination = paste.value("destination").toObject();
    destination.insert("isSecureTextEntry", "no");
    paste.insert("destination", destination);
    json.insert("paste", paste);
    try {
        fromJson<TraceRecord>(json);
        FAIL() << "a string where a boolean belongs must not decode";
    } catch (const TovraJsonError &error) {
        EXPECT_EQ(error.keyPath(), QStringLiteral("paste.destination.isSecureTextEntry"));
    }
}

TEST(CaptureResultsJson, EachOutcomeRoundTrips)
{
    const SourceCaptureResult stored = SourceCaptureResult::stored(browserSource());
    EXPECT_EQ(stored.kind(), SourceCaptureResult::Kind::stored);
    ASSERT_NE(stored.storedSource(), nullptr);
    EXPECT_EQ(*stored.storedSource(), browserSource());
    EXPECT_EQ(stored.rejectionReason(), std::nullopt);
    EXPECT_EQ(keysOf(toJson(stored)), (QStringList { "kind", "source" }));
    EXPECT_EQ(throughBytes(stored), stored);

    const SourceCaptureResult rejected = SourceCaptureResult::rejected(RejectionReason::incognito);
    EXPECT_EQ(rejected.storedSource(), nullptr);
    EXPECT_EQ(TovraJson::encode(rejected), QByteArray(R"({"kind":"rejected","reason":"incognito"})"));
    EXPECT_EQ(throughBytes(rejected), rejected);
    EXPECT_NE(stored, rejected);
}

TEST(CaptureResultsJson, CommitOutcomesRoundTrip)
{
    const PasteCommitResult recorded = PasteCommitResult::recorded(verifiedTrace());
    EXPECT_EQ(recorded.kind(), PasteCommitResult::Kind::recorded);
    ASSERT_NE(recorded.trace(), nullptr);
    EXPECT_EQ(recorded.trace()->id, verifiedTrace().id);
    EXPECT_EQ(keysOf(toJson(recorded)), (QStringList { "kind", "trace" }));
    EXPECT_EQ(throughBytes(recorded), recorded);

    const PasteCommitResult excluded = PasteCommitResult::excluded(RejectionReason::sensitiveField);
    EXPECT_EQ(excluded.exclusionReason(), RejectionReason::sensitiveField);
    EXPECT_EQ(TovraJson::encode(excluded), QByteArray(R"({"kind":"excluded","reason":"sensitiveField"})"));
    EXPECT_EQ(throughBytes(excluded), excluded);

    const PasteCommitResult unmatched = PasteCommitResult::sourceUnmatched();
    EXPECT_EQ(unmatched.trace(), nullptr);
    EXPECT_EQ(unmatched.exclusionReason(), std::nullopt);
    EXPECT_EQ(TovraJson::encode(unmatched), QByteArray(R"({"kind":"sourceUnmatched"})"));
    EXPECT_EQ(throughBytes(unmatched), unmatched);
}

TEST(CaptureResultsJson, MissingPayloadOfAKindIsAnError)
{
    EXPECT_THROW(TovraJson::decode<PasteCommitResult>(R"({"kind":"recorded"})"), TovraJsonError);
    EXPECT_THROW(
        TovraJson::decode<PasteCommitResult>(R"({"kind":"excluded","reason":"bored"})"), TovraJsonError);
    EXPECT_THROW(TovraJson::decode<SourceCaptureResult>(R"({"kind":"stored"})"), TovraJsonError);
    EXPECT_THROW(TovraJson::decode<SourceCaptureResult>(R"({"reason":"paused"})"), TovraJsonError);
}

TEST(StatusJson, RoundTripsWithExactKeys)
{
    const TovraStatus status { true, 3, 1 };
    EXPECT_EQ(
        TovraJson::encode(status), QByteArray(R"({"ledgerVersion":1,"paused":true,"pendingSourceCount":3})"));
    EXPECT_EQ(throughBytes(status), status);
    EXPECT_THROW(TovraJson::decode<TovraStatus>(R"({"ledgerVersion":1,"paused":1,"pendingSourceCount":3})"),
        TovraJsonError);
}

TEST(DenylistJson, EntriesAndSetsRoundTrip)
{
    const DenylistEntry entry { DenylistKind::bundleID, QStringLiteral("com.agilebits.onepassword7"),
        utc("2026-05-01T08:00:00.250Z") };
    EXPECT_EQ(TovraJson::encode(entry),
        QByteArray(
            R"({"createdAt":"2026-05-01T08:00:00.250Z","kind":"bundleID","value":"com.agilebits.onepassword7"})"));
    EXPECT_EQ(throughBytes(entry), entry);

    const CustomDenylist denylist = CustomDenylist::fromEntries({ entry,
        DenylistEntry {
            DenylistKind::domain, QStringLiteral("bank.example"), utc("2026-05-01T08:00:00.000Z") },
        DenylistEntry {
            DenylistKind::domain, QStringLiteral("mail.example"), utc("2026-05-01T08:00:00.000Z") } });
    EXPECT_EQ(
        denylist.domains, (QSet<QString> { QStringLiteral("bank.example"), QStringLiteral("mail.example") }));
    EXPECT_EQ(denylist.bundleIDs, (QSet<QString> { QStringLiteral("com.agilebits.onepassword7") }));
    EXPECT_EQ(TovraJson::encode(denylist),
        QByteArray(
            R"({"bundleIDs":["com.agilebits.onepassword7"],"domains":["bank.example","mail.example"]})"));
    EXPECT_EQ(throughBytes(denylist), denylist);
}

TEST(TraceFilterJson, EmptyFilterIsAnEmptyObjectAndFullOneRoundTrips)
{
    EXPECT_EQ(TovraJson::encode(TraceFilter {}), QByteArray("{}"));
    const TraceFilter filter { QStringLiteral("example"), TraceConfidence::inferred,
        utc("2026-01-01T00:00:00.000Z"), 25 };
    EXPECT_EQ(TovraJson::encode(filter),
        QByteArray(
            R"({"confidence":"inferred","limit":25,"query":"example","since":"2026-01-01T00:00:00.000Z"})"));
    EXPECT_EQ(throughBytes(filter), filter);
    EXPECT_THROW(TovraJson::decode<TraceFilter>(R"({"limit":-1})"), TovraJsonError);
}
