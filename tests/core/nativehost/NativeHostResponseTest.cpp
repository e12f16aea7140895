#include "core/nativehost/NativeHostResponse.h"

#include <gtest/gtest.h>

using tovra::ClipboardRejection;
using tovra::NativeHostResponse;
using tovra::NativeMessagingError;
using tovra::RejectionReason;
using tovra::TovraStatus;

namespace {

const QUuid requestId = QUuid::fromString(QStringLiteral("6F1C2A9E-4B7D-4C1E-9A53-2D8F0B7E3C41"));
const QUuid sourceId = QUuid::fromString(QStringLiteral("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"));

} // namespace

// Exact bytes: the extension sees sorted keys, compact JSON and lower-case
// identifiers.
TEST(NativeHostResponse, StoredCaptureBytes)
{
    const QDateTime expiresAt(QDate(2026, 3, 1), QTime(10, 15, 0, 250), Qt::UTC);
    EXPECT_EQ(NativeHostResponse::captureStored(requestId, sourceId, expiresAt).encode(),
        QByteArray(
            R"({"expiresAt":"2026-03-01T10:15:00.250Z","ok":true,)"
            R"("requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","schemaVersion":1,)"
            R"("sourceId":"0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d","status":"stored","type":"capture_result"})"));
}

TEST(NativeHostResponse, RejectedCaptureNamesTheReason)
{
    EXPECT_EQ(NativeHostResponse::captureRejected(requestId, RejectionReason::incognito).encode(),
        QByteArray(R"({"ok":true,"reason":"incognito","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41",)"
                   R"("schemaVersion":1,"status":"rejected","type":"capture_result"})"));
    EXPECT_EQ(
        NativeHostResponse::captureRejected(requestId, RejectionReason::invalidURL).toJson().value("reason"),
        QStringLiteral("invalidURL"));
    EXPECT_EQ(NativeHostResponse::captureRejected(requestId, ClipboardRejection::clipboardMismatch)
                  .toJson()
                  .value("reason"),
        QStringLiteral("clipboardMismatch"));
    EXPECT_EQ(NativeHostResponse::captureRejected(requestId, ClipboardRejection::clipboardUnavailable)
                  .toJson()
                  .value("reason"),
        QStringLiteral("clipboardUnavailable"));
}

TEST(NativeHostResponse, StatusBytes)
{
    const TovraStatus status { true, 3, 2 };
    EXPECT_EQ(NativeHostResponse::status(requestId, status).encode(),
        QByteArray(
            R"({"ledgerVersion":2,"ok":true,"paused":true,"pendingSourceCount":3,)"
            R"("requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","schemaVersion":1,"type":"status"})"));
}

TEST(NativeHostResponse, ErrorsCarryTheirCodeAndLeaveOutAnUnreadableRequestId)
{
    const NativeHostResponse withoutId
        = NativeHostResponse::error(std::nullopt, NativeMessagingError::messageTooLarge(2000000));
    EXPECT_TRUE(withoutId.isError());
    EXPECT_EQ(withoutId.encode(),
        QByteArray(
            R"({"code":"message_too_large","message":"Message of 2000000 bytes exceeds the limit of 1048576 )"
            R"(bytes.","ok":false,"schemaVersion":1,"type":"error"})"));

    const NativeHostResponse withId = NativeHostResponse::error(
        requestId, NativeMessagingError::malformedRequest(QStringLiteral("Unknown keys: x")));
    EXPECT_EQ(withId.encode(),
        QByteArray(
            R"({"code":"malformed_request","message":"Unknown keys: x","ok":false,)"
            R"("requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","schemaVersion":1,"type":"error"})"));
    EXPECT_FALSE(NativeHostResponse::status(requestId, {}).isError());
}

TEST(NativeHostResponse, EveryErrorKindHasItsSnakeCaseCode)
{
    using Kind = NativeMessagingError::Kind;
    EXPECT_EQ(NativeMessagingError::code(Kind::malformedRequest), QStringLiteral("malformed_request"));
    EXPECT_EQ(NativeMessagingError::code(Kind::unsupportedSchemaVersion),
        QStringLiteral("unsupported_schema_version"));
    EXPECT_EQ(NativeMessagingError::code(Kind::messageTooLarge), QStringLiteral("message_too_large"));
    EXPECT_EQ(NativeMessagingError::code(Kind::ledgerUnavailable), QStringLiteral("ledger_unavailable"));
    EXPECT_EQ(NativeMessagingError::code(Kind::internalError), QStringLiteral("internal_error"));
    EXPECT_EQ(NativeMessagingError::ledgerUnavailable(QStringLiteral("no key")).code(),
        QStringLiteral("ledger_unavailable"));
}
