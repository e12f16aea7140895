#include "core/citations/CitationSource.h"

#include "core/records/TovraJsonError.h"

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

TEST(CitationSourceTest, JsonHasItsFieldNamesLeavesOutAbsentOptionalsAndReadsBack)
{
    const QJsonObject json = toJson(fullSource());
    EXPECT_EQ(json.keys(),
        (QStringList { QStringLiteral("captureMethod"), QStringLiteral("capturedAt"),
            QStringLiteral("expiresAt"), QStringLiteral("sanitizedURL"), QStringLiteral("sourceAppName"),
            QStringLiteral("sourceID"), QStringLiteral("sourceTitle"), QStringLiteral("traceID") }));
    EXPECT_EQ(json.value(QStringLiteral("traceID")).toString(),
        QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301"));
    EXPECT_EQ(json.value(QStringLiteral("captureMethod")).toString(), QStringLiteral("chromeExtension"));
    EXPECT_EQ(
        json.value(QStringLiteral("capturedAt")).toString(), QStringLiteral("2024-07-18T13:15:00.123Z"));
    EXPECT_EQ(fromJson<CitationSource>(json), fullSource());

    CitationSource sparse = fullSource();
    sparse.captureMethod = CaptureMethod::keyboardObservation;
    sparse.sanitizedURL.reset();
    sparse.sourceTitle.reset();
    sparse.sourceAppName.reset();
    const QJsonObject sparseJson = toJson(sparse);
    EXPECT_EQ(sparseJson.size(), json.size() - 3);
    EXPECT_EQ(fromJson<CitationSource>(sparseJson), sparse);
}

TEST(CitationSourceTest, DecodingNamesTheFaultyKey)
{
    QJsonObject unknownMethod = toJson(fullSource());
    unknownMethod.insert(QStringLiteral("captureMethod"), QStringLiteral("telepathy"));
    QJsonObject noExpiry = toJson(fullSource());
    noExpiry.remove(QStringLiteral("expiresAt"));
    for (const auto &[json, kind, keyPath] :
        { std::tuple { unknownMethod, TovraJsonError::Kind::invalidValue, "source.captureMethod" },
            std::tuple { noExpiry, TovraJsonError::Kind::missingKey, "source.expiresAt" } }) {
        try {
            fromJson<CitationSource>(json, QStringLiteral("source"));
            ADD_FAILURE() << keyPath << " was accepted";
        } catch (const TovraJsonError &error) {
            EXPECT_EQ(error.kind(), kind);
            EXPECT_EQ(error.keyPath(), QString::fromLatin1(keyPath));
        }
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
