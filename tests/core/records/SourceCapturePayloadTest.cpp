#include "core/records/SourceCapturePayload.h"

#include <gtest/gtest.h>

using namespace tovra;

namespace {

QString decodingError(const char *json)
{
    try {
        TovraJson::decode<SourceCapturePayload>(QByteArray(json));
    } catch (const TovraJsonError &error) {
        return error.localizedDescription();
    }
    return QStringLiteral("<decoded>");
}

} // namespace

TEST(SourceCapturePayload, DecodesAllFiveFields)
{
    const auto payload = TovraJson::decode<SourceCapturePayload>(
        R"({"url":"https://example.com/a","title":"A","selectedText":"hello","isIncognito":false,)"
        R"("capturedAt":"2026-12-06T21:22:17.123Z"})");
    EXPECT_EQ(payload.url, QStringLiteral("https://example.com/a"));
    EXPECT_EQ(payload.title, QStringLiteral("A"));
    EXPECT_EQ(payload.selectedText, QStringLiteral("hello"));
    EXPECT_EQ(payload.isIncognito, false);
    EXPECT_EQ(payload.capturedAt, QStringLiteral("2026-12-06T21:22:17.123Z"));
    EXPECT_EQ(TovraJson::decode<SourceCapturePayload>(TovraJson::encode(payload)), payload);
}

TEST(SourceCapturePayload, OptionalFieldsMayBeAbsent)
{
    const auto payload
        = TovraJson::decode<SourceCapturePayload>(R"({"url":"https://e.com","selectedText":""})");
    EXPECT_EQ(payload.title, std::nullopt);
    EXPECT_EQ(payload.isIncognito, std::nullopt);
    EXPECT_EQ(payload.capturedAt, std::nullopt);
    EXPECT_EQ(TovraJson::encode(payload), QByteArray(R"({"selectedText":"","url":"https://e.com"})"));
}

TEST(SourceCapturePayload, UnknownKeysAreRefusedByNameBeforeAnythingElse)
{
    EXPECT_EQ(decodingError(R"({"url":"https://e.com","selectedText":"x","tabId":3,"frameId":0})"),
        QStringLiteral("Unknown keys: frameId, tabId"));
    // Even with required keys missing, the unknown keys are what is reported.
    EXPECT_EQ(decodingError(R"({"html":"<b>x</b>"})"), QStringLiteral("Unknown keys: html"));
    EXPECT_EQ(SourceCapturePayload::allowedKeys().size(), 5);
}

TEST(SourceCapturePayload, WrongTypesAndMissingKeysAreClearErrors)
{
    EXPECT_EQ(decodingError(R"({"selectedText":"x"})"), QStringLiteral("Missing required key \"url\"."));
    EXPECT_EQ(decodingError(R"({"url":"https://e.com"})"),
        QStringLiteral("Missing required key \"selectedText\"."));
    EXPECT_EQ(decodingError(R"({"url":42,"selectedText":"x"})"),
        QStringLiteral("Expected a string at \"url\" but found a number."));
    EXPECT_EQ(decodingError(R"({"url":"https://e.com","selectedText":"x","isIncognito":"true"})"),
        QStringLiteral("Expected a boolean at \"isIncognito\" but found a string."));
    EXPECT_EQ(decodingError(R"({"url":"https://e.com","selectedText":"x","capturedAt":1733520137})"),
        QStringLiteral("Expected a string at \"capturedAt\" but found a number."));
    EXPECT_EQ(decodingError(R"({"url":"https://e.com","selectedText":["x"]})"),
        QStringLiteral("Expected a string at \"selectedText\" but found an array."));
}

TEST(SourceCapturePayload, ErrorsInsideARequestCarryItsPath)
{
    const QJsonObject body = TovraJson::decodeObject(R"({"url":"https://e.com","selectedText":false})");
    try {
        fromJson<SourceCapturePayload>(body, QStringLiteral("payload"));
        FAIL() << "a boolean selection must not decode";
    } catch (const TovraJsonError &error) {
        EXPECT_EQ(error.keyPath(), QStringLiteral("payload.selectedText"));
    }
}
