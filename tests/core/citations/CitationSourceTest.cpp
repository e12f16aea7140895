#include "core/citations/CitationSource.h"

#include "core/records/TovraJsonError.h"

#include <QJsonDocument>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace tovra {
namespace {

CitationSource fullSource()
{
    return CitationSource {
        .traceID = QUuid(QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301")),
        .sourceID = QUuid(QStringLiteral("9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d")),
        .captureMethod = CaptureMethod::chromeExtension,
        .sanitizedURL = QStringLiteral("https://example.com/a"),
        .sourceTitle = QStringLiteral("A"),
        .sourceAppName = QStringLiteral("Google Chrome"),
        .capturedAt = QDateTime::fromMSecsSinceEpoch(1'721'308'500'123, QTimeZone::utc()),
        .expiresAt = QDateTime::fromMSecsSinceEpoch(1'721'312'100'123, QTimeZone::utc()),
    };
}

TEST(CitationSourceTest, JsonHasItsFieldNamesAndReadsBack)
{
    const CitationSource source = fullSource();
    const QJsonObject json = toJson(source);
    EXPECT_EQ(json.keys(),
        (QStringList { QStringLiteral("captureMethod"), QStringLiteral("capturedAt"),
            QStringLiteral("expiresAt"), QStringLiteral("sanitizedURL"), QStringLiteral("sourceAppName"),
            QStringLiteral("sourceID"), QStringLiteral("sourceTitle"), QStringLiteral("traceID") }));
    EXPECT_EQ(json.value(QStringLiteral("traceID")).toString(),
        QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301"));
    EXPECT_EQ(json.value(QStringLiteral("captureMethod")).toString(), QStringLiteral("chromeExtension"));
    EXPECT_EQ(
        json.value(QStringLiteral("capturedAt")).toString(), QStringLiteral("2024-07-18T13:15:00.123Z"));
    EXPECT_EQ(fromJson<CitationSource>(json), source);
}

TEST(CitationSourceTest, AbsentOptionalsAreLeftOutAndReadBackAbsent)
{
    CitationSource source = fullSource();
    source.captureMethod = CaptureMethod::keyboardObservation;
    source.sanitizedURL.reset();
    source.sourceTitle.reset();
    source.sourceAppName.reset();
    const QJsonObject json = toJson(source);
    EXPECT_FALSE(json.contains(QStringLiteral("sanitizedURL")));
    EXPECT_FALSE(json.contains(QStringLiteral("sourceTitle")));
    EXPECT_FALSE(json.contains(QStringLiteral("sourceAppName")));
    EXPECT_EQ(fromJson<CitationSource>(json), source);
}

TEST(CitationSourceTest, DecodingNamesTheFaultyKey)
{
    QJsonObject json = toJson(fullSource());
    json.insert(QStringLiteral("captureMethod"), QStringLiteral("telepathy"));
    try {
        fromJson<CitationSource>(json, QStringLiteral("source"));
        FAIL() << "an unknown capture method was accepted";
    } catch (const TovraJsonError &error) {
        EXPECT_EQ(error.kind(), TovraJsonError::Kind::invalidValue);
        EXPECT_EQ(error.keyPath(), QStringLiteral("source.captureMethod"));
    }

    json = toJson(fullSource());
    json.remove(QStringLiteral("expiresAt"));
    try {
        fromJson<CitationSource>(json);
        FAIL() << "a missing expiry was accepted";
    } catch (const TovraJsonError &error) {
        EXPECT_EQ(error.kind(), TovraJsonError::Kind::missingKey);
        EXPECT_EQ(error.keyPath(), QStringLiteral("expiresAt"));
    }
}

TEST(CitationSourceTest, MadeFromAPendingSourceUnderATraceID)
{
    const PendingSource pending {
        .id = QUuid(QStringLiteral("9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d")),
        .captureMethod = CaptureMethod::chromeExtension,
        .contentFingerprint = QStringLiteral("ab"),
        .byteCount = 2,
        .sanitizedURL = QStringLiteral("https://example.com/a"),
        .pageTitle = QStringLiteral("A"),
        .sourceAppName = QStringLiteral("Google Chrome"),
        .sourceAppBundleID = QStringLiteral("com.google.Chrome"),
        .sourceProcessIdentifier = 42,
        .capturedAt = fullSource().capturedAt,
        .expiresAt = fullSource().expiresAt,
    };
    EXPECT_EQ(CitationSource::from(fullSource().traceID, pending), fullSource());
}

} // namespace
} // namespace tovra
