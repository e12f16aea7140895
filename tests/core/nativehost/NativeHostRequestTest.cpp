#include "core/nativehost/NativeHostRequest.h"
#include "core/nativehost/NativeMessagingError.h"

#include <gtest/gtest.h>

using tovra::NativeHostRequest;
using tovra::NativeHostRequestType;
using tovra::NativeMessagingError;

namespace {

const QUuid requestId = QUuid::fromString(QStringLiteral("6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"));

// The error a message is refused with; fails the test when it is accepted.
NativeMessagingError refusal(const QByteArray &message)
{
    try {
        NativeHostRequest::decode(message);
    } catch (const NativeMessagingError &error) {
        return error;
    }
    ADD_FAILURE() << "accepted: " << message.constData();
    return NativeMessagingError::internalError(QStringLiteral("accepted"));
}

} // namespace

TEST(NativeHostRequest, DecodesACaptureWithEveryPayloadField)
{
    const NativeHostRequest request = NativeHostRequest::decode(R"({
        "schemaVersion": 1, "type": "capture_source", "requestId": "6F1C2A9E-4B7D-4C1E-9A53-2D8F0B7E3C41",
        "payload": {"url": "https://example.org/a", "title": "A", "selectedText": "copied words",
                    "isIncognito": false, "capturedAt": "2026-03-01T10:00:00.000Z"}})");

    EXPECT_EQ(request.type, NativeHostRequestType::captureSource);
    EXPECT_EQ(request.requestId, requestId);
    ASSERT_TRUE(request.payload.has_value());
    EXPECT_EQ(request.payload->url, QStringLiteral("https://example.org/a"));
    EXPECT_EQ(request.payload->title, QStringLiteral("A"));
    EXPECT_EQ(request.payload->selectedText, QStringLiteral("copied words"));
    EXPECT_EQ(request.payload->isIncognito, false);
    EXPECT_EQ(request.payload->capturedAt, QStringLiteral("2026-03-01T10:00:00.000Z"));
}

TEST(NativeHostRequest, DecodesACaptureWithOnlyTheRequiredFields)
{
    const NativeHostRequest request = NativeHostRequest::decode(
        R"({"schemaVersion":1,"type":"capture_source","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41",)"
        R"("payload":{"url":"https://example.org","selectedText":"x"}})");
    ASSERT_TRUE(request.payload.has_value());
    EXPECT_EQ(request.payload->title, std::nullopt);
    EXPECT_EQ(request.payload->isIncognito, std::nullopt);
    EXPECT_EQ(request.payload->capturedAt, std::nullopt);
}

TEST(NativeHostRequest, DecodesAStatusRequestWithoutPayload)
{
    const NativeHostRequest request = NativeHostRequest::decode(
        R"({"schemaVersion":1,"type":"get_status","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})");
    EXPECT_EQ(request.type, NativeHostRequestType::getStatus);
    EXPECT_EQ(request.requestId, requestId);
    EXPECT_EQ(request.payload, std::nullopt);
}

TEST(NativeHostRequest, UnknownKeysAtEveryLevelAreListedSorted)
{
    const NativeMessagingError topLevel = refusal(
        R"({"schemaVersion":1,"type":"get_status","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41",)"
        R"("zeta":1,"alpha":2})");
    EXPECT_EQ(topLevel.kind(), NativeMessagingError::Kind::malformedRequest);
    EXPECT_EQ(topLevel.localizedDescription(), QStringLiteral("Unknown keys: alpha, zeta"));

    const NativeMessagingError inPayload = refusal(
        R"({"schemaVersion":1,"type":"capture_source","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41",)"
        R"("payload":{"url":"https://example.org","selectedText":"x","html":"<b>x</b>"}})");
    EXPECT_EQ(inPayload.kind(), NativeMessagingError::Kind::malformedRequest);
    EXPECT_EQ(inPayload.localizedDescription(), QStringLiteral("Unknown keys: html"));

    const NativeMessagingError payloadOnStatus = refusal(
        R"({"schemaVersion":1,"type":"get_status","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41",)"
        R"("payload":{}})");
    EXPECT_EQ(payloadOnStatus.localizedDescription(), QStringLiteral("Unknown keys: payload"));
}

TEST(NativeHostRequest, OtherSchemaVersionsAreUnsupportedButMistypedOnesMalformed)
{
    const NativeMessagingError future = refusal(
        R"({"schemaVersion":2,"type":"get_status","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})");
    EXPECT_EQ(future.kind(), NativeMessagingError::Kind::unsupportedSchemaVersion);
    EXPECT_EQ(future.code(), QStringLiteral("unsupported_schema_version"));

    // A newer version may bring keys of its own: the version is judged first.
    EXPECT_EQ(refusal(R"({"schemaVersion":0,"type":"get_status","newKey":true})").kind(),
        NativeMessagingError::Kind::unsupportedSchemaVersion);

    for (const QByteArray &message :
        {
            QByteArray(R"({"type":"get_status","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})"),
            QByteArray(
                R"({"schemaVersion":"1","type":"get_status","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})"),
            QByteArray(
                R"({"schemaVersion":1.5,"type":"get_status","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})"),
        }) {
        EXPECT_EQ(refusal(message).kind(), NativeMessagingError::Kind::malformedRequest)
            << message.constData();
    }
}

TEST(NativeHostRequest, WrongShapesAreMalformed)
{
    const QByteArray cases[] = {
        // request type unknown, missing, or of the wrong case
        R"({"schemaVersion":1,"type":"delete_everything","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})",
        R"({"schemaVersion":1,"requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})",
        R"({"schemaVersion":1,"type":"GET_STATUS","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})",
        // request identifier missing or not a UUID
        R"({"schemaVersion":1,"type":"get_status"})",
        R"({"schemaVersion":1,"type":"get_status","requestId":"request-1"})",
        R"({"schemaVersion":1,"type":"get_status","requestId":42})",
        // payload missing, not an object, or without its required fields
        R"({"schemaVersion":1,"type":"capture_source","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"})",
        R"({"schemaVersion":1,"type":"capture_source","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","payload":"x"})",
        R"({"schemaVersion":1,"type":"capture_source","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","payload":{"url":"https://a.org"}})",
        R"({"schemaVersion":1,"type":"capture_source","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","payload":{"url":"https://a.org","selectedText":7}})",
        R"({"schemaVersion":1,"type":"capture_source","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","payload":{"url":"https://a.org","selectedText":"x","isIncognito":"no"}})",
        // not a JSON object at all
        R"([1,2,3])",
        R"("get_status")",
        R"({"schemaVersion":1,)",
        "",
    };
    for (const QByteArray &message : cases) {
        EXPECT_EQ(refusal(message).kind(), NativeMessagingError::Kind::malformedRequest)
            << message.constData();
    }
}

TEST(NativeHostRequest, BytesThatAreNotUtf8AreMalformed)
{
    const QByteArray message
        = QByteArray(R"({"schemaVersion":1,"type":"capture_source","requestId":)"
                     R"("6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","payload":{"url":"https://a.org",)"
                     R"("selectedText":")")
        + QByteArray("\xc3\x28\xff", 3) + QByteArray(R"("}})");
    const NativeMessagingError error = refusal(message);
    EXPECT_EQ(error.kind(), NativeMessagingError::Kind::malformedRequest);
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("The message is not valid UTF-8."));
}

TEST(NativeHostRequest, TheRequestIdIsReadableFromOtherwiseBrokenRequests)
{
    EXPECT_EQ(
        NativeHostRequest::readableRequestId(
            R"({"schemaVersion":9,"type":"nope","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","x":1})"),
        requestId);
    EXPECT_EQ(NativeHostRequest::readableRequestId(R"({"requestId":"not-a-uuid"})"), std::nullopt);
    EXPECT_EQ(NativeHostRequest::readableRequestId(R"({"requestId":5})"), std::nullopt);
    EXPECT_EQ(NativeHostRequest::readableRequestId(R"({"requestId":")"), std::nullopt);
    EXPECT_EQ(
        NativeHostRequest::readableRequestId(R"(["6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41"])"), std::nullopt);
}

TEST(NativeHostRequest, WireNamesOfTheRequestTypes)
{
    EXPECT_EQ(
        NativeHostRequest::wireName(NativeHostRequestType::captureSource), QStringLiteral("capture_source"));
    EXPECT_EQ(NativeHostRequest::wireName(NativeHostRequestType::getStatus), QStringLiteral("get_status"));
    EXPECT_EQ(NativeHostRequest::typeFromWireName(QStringLiteral("capture_source")),
        NativeHostRequestType::captureSource);
    EXPECT_EQ(NativeHostRequest::typeFromWireName(QStringLiteral("captureSource")), std::nullopt);
}
