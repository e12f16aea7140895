#include "RecordTestFixtures.h"

#include "core/records/LedgerSnapshot.h"

#include <gtest/gtest.h>

#include <QJsonArray>

using namespace tovra;
using namespace tovra::testing;

namespace {

LedgerSnapshot populatedSnapshot()
{
    LedgerSnapshot snapshot;
    snapshot.pendingSources = { browserSource(), applicationSource() };
    snapshot.traceRecords = { verifiedTrace() };
    snapshot.customDenylistEntries = { DenylistEntry {
        DenylistKind::domain, QStringLiteral("bank.example"), utc("2026-03-03T10:00:00.001Z") } };
    snapshot.isPaused = true;
    snapshot.updatedAt = utc("2026-12-06T21:23:00.999Z");
    return snapshot;
}

} // namespace

TEST(LedgerSnapshot, VersionRangeStartsAtOne)
{
    EXPECT_EQ(LedgerSnapshot::currentVersion, 1);
    EXPECT_EQ(LedgerSnapshot::oldestSupportedVersion, 1);
    EXPECT_TRUE(LedgerSnapshot::isSupportedVersion(1));
    EXPECT_FALSE(LedgerSnapshot::isSupportedVersion(0));
    EXPECT_FALSE(LedgerSnapshot::isSupportedVersion(2));
    EXPECT_FALSE(LedgerSnapshot::needsMigration(1));
    EXPECT_TRUE(LedgerSnapshot::needsMigration(0));
    EXPECT_EQ(LedgerSnapshot {}.version, LedgerSnapshot::currentVersion);
}

TEST(LedgerSnapshot, RoundTripsWithOrderKeptAndExactKeys)
{
    const LedgerSnapshot snapshot = populatedSnapshot();
    const QJsonObject json = toJson(snapshot);
    EXPECT_EQ(json.keys(),
        (QStringList {
            "customDenylistEntries", "isPaused", "pendingSources", "traceRecords", "updatedAt", "version" }));
    EXPECT_EQ(json.value("updatedAt").toString(), QStringLiteral("2026-12-06T21:23:00.999Z"));
    const LedgerSnapshot decoded = TovraJson::decode<LedgerSnapshot>(TovraJson::encode(snapshot));
    EXPECT_EQ(decoded, snapshot);
    ASSERT_EQ(decoded.pendingSources.size(), 2);
    EXPECT_EQ(decoded.pendingSources.at(1).id, applicationSource().id);
}

TEST(LedgerSnapshot, EmptyLedgerWritesEmptyLists)
{
    LedgerSnapshot snapshot;
    snapshot.updatedAt = utc("2026-01-01T00:00:00.000Z");
    EXPECT_EQ(TovraJson::encode(snapshot),
        QByteArray(R"({"customDenylistEntries":[],"isPaused":false,"pendingSources":[],)"
                   R"("traceRecords":[],"updatedAt":"2026-01-01T00:00:00.000Z","version":1})"));
    EXPECT_EQ(TovraJson::decode<LedgerSnapshot>(TovraJson::encode(snapshot)), snapshot);
}

TEST(LedgerSnapshot, VersionIsReadWithoutDecodingTheRest)
{
    EXPECT_EQ(
        LedgerSnapshot::versionOf(TovraJson::decodeObject(R"({"version":7,"traceRecords":"garbage"})")), 7);
    EXPECT_THROW(
        LedgerSnapshot::versionOf(TovraJson::decodeObject(R"({"traceRecords":[]})")), TovraJsonError);
    EXPECT_THROW(LedgerSnapshot::versionOf(TovraJson::decodeObject(R"({"version":"1"})")), TovraJsonError);
}

TEST(LedgerSnapshot, OnlyTheCurrentLayoutDecodes)
{
    QJsonObject json = toJson(populatedSnapshot());
    for (int version : { 0, 2 }) {
        json.insert("version", version);
        try {
            fromJson<LedgerSnapshot>(json);
            FAIL() << "version " << version << " must not decode as the current layout";
        } catch (const TovraJsonError &error) {
            EXPECT_EQ(error.kind(), TovraJsonError::Kind::invalidValue);
            EXPECT_EQ(error.keyPath(), QStringLiteral("version"));
        }
    }
}

TEST(LedgerSnapshot, ABrokenElementIsNamedByItsIndex)
{
    QJsonObject json = toJson(populatedSnapshot());
    QJsonArray sources = json.value("pendingSources").toArray();
    QJsonObject second = sources.at(1).toObject();
    second.remove("expiresAt");
    sources.replace(1, second);
    json.insert("pendingSources", sources);
    try {
        fromJson<LedgerSnapshot>(json);
        FAIL() << "a pending source without expiry must not decode";
    } catch (const TovraJsonError &error) {
        EXPECT_EQ(error.kind(), TovraJsonError::Kind::missingKey);
        EXPECT_EQ(error.localizedDescription(),
            QStringLiteral("Missing required key \"pendingSources[1].expiresAt\"."));
    }

    json = toJson(populatedSnapshot());
    json.insert("traceRecords", QJsonArray { QStringLiteral("not a record") });
    EXPECT_THROW(fromJson<LedgerSnapshot>(json), TovraJsonError);
}
