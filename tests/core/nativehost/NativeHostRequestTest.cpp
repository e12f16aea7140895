#include "core/nativehost/NativeHostRequest.h"
#include "core/nativehost/NativeMessagingError.h"

#include <gtest/gtest.h>

using tovra::NativeHostRequest;
using tovra::NativeHostRequestType;
using tovra::NativeMessagingError;

namespace {

const QUuid requestId = QUuid::fromString(QStringLiteral("6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"));

// A message with the given version, type and payload and a valid request id.
QByteArray request(const QByteArray &rest)
{
    return R"({"requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41",)" + rest + "}";
}

} // namespace

TEST(NativeHostRequest, DecodesCapturesWithAndWithoutOptionalFieldsAndStatusRequests)
{
    const NativeHostRequest full = NativeHostRequest::decode(R"({
        "schemaVersion": 1, "type": "capture_source", "requestId": "6F1C2A9E-4B7D-4C1E-9A53-2D8F0B7E3C41",
        "payload": {"url": "https://example.org/a", "title": "A", "selectedText": "copied words",
                    "isIncognito": false, "capturedAt": "2026-03-01T10:00:00.000Z"}})");
    EXPECT_EQ(full.type, NativeHostRequestType::captureSource);
    EXPECT_EQ(full.requestId, requestId);
    ASSERT_TRUE(full.payload.has_value());
    EXPECT_EQ(full.payload->url, QStringLiteral("https://example.org/a"));
    EXPECT_EQ(full.payload->title, QStringLiteral("A"));
    EXPECT_EQ(full.payload->selectedText, QStringLiteral("copied words"));
    EXPECT_EQ(full.payload->isIncognito, false);
    EXPECT_EQ(full.payload->capturedAt, QStringLiteral("2026-03-01T10:00:00.000Z"));

    const NativeHostRequest minimal = NativeHostRequest::decode(request(
        R"("schemaVersion":1,"type":"capture_source","payload":{"url":"https://example.org","selectedText":"x"})"));
    ASSERT_TRUE(minimal.payload.has_value());
    EXPECT_EQ(minimal.payload->title, std::nullopt);
    EXPECT_EQ(minimal.payload->isIncognito, std::nullopt);
    EXPECT_EQ(minimal.payload->capturedAt, std::nullopt);

    const NativeHostRequest status
        = NativeHostRequest::decode(request(R"("schemaVersion":1,"type":"get_status")"));
    EXPECT_EQ(status.type, NativeHostRequestType::getStatus);
    EXPECT_EQ(status.payload, std::nullopt);
}

TEST(NativeHostRequest, RefusesWrongShapesWithTheirKindAndMessage)
{
    using Kind = NativeMessagingError::Kind;
    const QByteArray capture = R"("schemaVersion":1,"type":"capture_source",)";
    const struct {
        QByteArray message;
        Kind kind;
        QString description; // checked when not empty
    } cases[] = {
        // unknown keys at every level, listed sorted
        { request(R"("schemaVersion":1,"type":"get_status","zeta":1,"alpha":2)"), Kind::malformedRequest,
            "Unknown keys: alpha, zeta" },
        { request(
              capture + R"("payload":{"url":"https://example.org","selectedText":"x","html":"<b>x</b>"})"),
            Kind::malformedRequest, "Unknown keys: html" },
        { request(R"("schemaVersion":1,"type":"get_status","payload":{})"), Kind::malformedRequest,
            "Unknown keys: payload" },
        // another version is judged before the keys it may bring
        { request(R"("schemaVersion":2,"type":"get_status")"), Kind::unsupportedSchemaVersion, {} },
        { R"({"schemaVersion":0,"type":"get_status","newKey":true})", Kind::unsupportedSchemaVersion, {} },
        // a version missing or mistyped
        { request(R"("type":"get_status")"), Kind::malformedRequest, {} },
        { request(R"("schemaVersion":"1","type":"get_status")"), Kind::malformedRequest, {} },
        { request(R"("schemaVersion":1.5,"type":"get_status")"), Kind::malformedRequest, {} },
        // request type unknown, missing, or of the wrong case
        { request(R"("schemaVersion":1,"type":"delete_everything")"), Kind::malformedRequest, {} },
        { request(R"("schemaVersion":1)"), Kind::malformedRequest, {} },
        { request(R"("schemaVersion":1,"type":"GET_STATUS")"), Kind::malformedRequest, {} },
        { request(R"("schemaVersion":1,"type":"captureSource")"), Kind::malformedRequest, {} },
        // request identifier missing or not a UUID
        { R"({"schemaVersion":1,"type":"get_status"})", Kind::malformedRequest, {} },
        { R"({"schemaVersion":1,"type":"get_status","requestId":"request-1"})", Kind::malformedRequest, {} },
        { R"({"schemaVersion":1,"type":"get_status","requestId":42})", Kind::malformedRequest, {} },
        // payload missing, not an object, or without its required fields
        { request(R"("schemaVersion":1,"type":"capture_source")"), Kind::malformedRequest, {} },
        { request(capture + R"("payload":"x")"), Kind::malformedRequest, {} },
        { request(capture + R"("payload":{"url":"https://a.org"})"), Kind::malformedRequest, {} },
        { request(capture + R"("payload":{"url":"https://a.org","selectedText":7})"), Kind::malformedRequest,
            {} },
        { request(capture + R"("payload":{"url":"https://a.org","selectedText":"x","isIncognito":"no"})"),
            Kind::malformedRequest, {} },
        { request(capture + R"("payload":{"url":"https://a.org","selectedText":")"
              + QByteArray("\xc3\x28\xff") + R"("})"),
            Kind::malformedRequest, "The message is not valid UTF-8." },
        // not a JSON object at all
        { "[1,2,3]", Kind::malformedRequest, {} },
        { R"("get_status")", Kind::malformedRequest, {} },
        { R"({"schemaVersion":1,)", Kind::malformedRequest, {} },
        { "", Kind::malformedRequest, {} },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.message.constData());
        try {
            NativeHostRequest::decode(testCase.message);
            ADD_FAILURE() << "accepted";
        } catch (const NativeMessagingError &error) {
            EXPECT_EQ(error.kind(), testCase.kind);
            if (!testCase.description.isEmpty()) {
                EXPECT_EQ(error.localizedDescription(), testCase.description);
            }
        }
    }
}

TEST(NativeHostRequest, TheRequestIdIsReadableFromOtherwiseBrokenRequests)
{
    EXPECT_EQ(
        NativeHostRequest::readableRequestId(request(R"("schemaVersion":9,"type":"nope","x":1)")), requestId);
    for (const QByteArray unreadable : { R"({"requestId":"not-a-uuid"})", R"({"requestId":5})",
             R"({"requestId":")", R"(["6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"])" }) {
        EXPECT_EQ(NativeHostRequest::readableRequestId(unreadable), std::nullopt) << unreadable.constData();
    }
}
