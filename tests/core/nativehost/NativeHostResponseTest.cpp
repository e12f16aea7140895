#include "core/nativehost/NativeHostResponse.h"

#include <gtest/gtest.h>

using namespace tovra;

namespace {

const QUuid requestId = QUuid::fromString(QStringLiteral("6F1C2A9E-4B7D-4C1E-9A53-2D8F0B7E3C41"));
const QUuid sourceId = QUuid::fromString(QStringLiteral("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"));

} // namespace

// Exact bytes: the extension sees sorted keys, compact JSON and lower-case
// identifiers, and no request id where none could be read.
TEST(NativeHostResponse, EncodesEveryKindOfResponseByteExact)
{
    const QDateTime expiresAt(QDate(2026, 3, 1), QTime(10, 15, 0, 250), Qt::UTC);
    const struct {
        NativeHostResponse response;
        QByteArray bytes;
    } cases[] = {
        { NativeHostResponse::captureStored(requestId, sourceId, expiresAt),
            R"({"expiresAt":"2026-03-01T10:15:00.250Z","ok":true,)"
            R"("requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","schemaVersion":1,)"
            R"("sourceId":"0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d","status":"stored","type":"capture_result"})" },
        { NativeHostResponse::captureRejected(requestId, RejectionReason::incognito),
            R"({"ok":true,"reason":"incognito","requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41",)"
            R"("schemaVersion":1,"status":"rejected","type":"capture_result"})" },
        { NativeHostResponse::status(requestId, TovraStatus { true, 3, 2 }),
            R"({"ledgerVersion":2,"ok":true,"paused":true,"pendingSourceCount":3,)"
            R"("requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","schemaVersion":1,"type":"status"})" },
        { NativeHostResponse::error(std::nullopt, NativeMessagingError::messageTooLarge(2000000)),
            R"({"code":"message_too_large","message":"Message of 2000000 bytes exceeds the limit of 1048576 )"
            R"(bytes.","ok":false,"schemaVersion":1,"type":"error"})" },
        { NativeHostResponse::error(requestId, NativeMessagingError::malformedRequest("Unknown keys: x")),
            R"({"code":"malformed_request","message":"Unknown keys: x","ok":false,)"
            R"("requestId":"6f1c2a9e-4b7d-4c1e-9a53-2d8f0b7e3c41","schemaVersion":1,"type":"error"})" },
    };
    for (const auto &testCase : cases) {
        EXPECT_EQ(testCase.response.encode(), testCase.bytes);
        EXPECT_EQ(testCase.response.isError(), testCase.bytes.contains(R"("ok":false)"))
            << testCase.bytes.constData();
    }
}

TEST(NativeHostResponse, RejectionsNameTheirReason)
{
    const std::pair<std::variant<RejectionReason, ClipboardRejection>, QString> cases[] = {
        { RejectionReason::invalidURL, "invalidURL" },
        { ClipboardRejection::clipboardMismatch, "clipboardMismatch" },
        { ClipboardRejection::clipboardUnavailable, "clipboardUnavailable" },
    };
    for (const auto &[reason, name] : cases) {
        EXPECT_EQ(NativeHostResponse::captureRejected(requestId, reason).toJson().value("reason"), name);
    }
}
