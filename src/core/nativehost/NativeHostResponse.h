#pragma once

#include "core/nativehost/NativeMessagingError.h"
#include "core/records/EnumNames.h"
#include "core/records/RecordEnums.h"
#include "core/records/TovraStatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QUuid>

#include <optional>
#include <variant>

namespace tovra {

// Refusals of a capture that only the host can make: the text the browser
// reports is not what the clipboard holds, or the clipboard cannot be read.
enum class ClipboardRejection {
    clipboardMismatch,
    clipboardUnavailable,
};

template <> struct EnumNames<ClipboardRejection> {
    static constexpr std::array<std::string_view, 2> names { "clipboardMismatch", "clipboardUnavailable" };
};

// One response to the browser. Every response carries "schemaVersion": 1 and
// "ok"; "requestId" whenever the request's identifier could be read.
class NativeHostResponse {
public:
    struct CaptureStored {
        QUuid sourceId;
        QDateTime expiresAt;
        bool operator==(const CaptureStored &) const = default;
    };
    struct CaptureRejected {
        std::variant<RejectionReason, ClipboardRejection> reason;
        bool operator==(const CaptureRejected &) const = default;
    };
    struct Status {
        TovraStatus status;
        bool operator==(const Status &) const = default;
    };
    struct Error {
        NativeMessagingError::Kind kind;
        QString message;
        bool operator==(const Error &) const = default;
    };
    using Body = std::variant<CaptureStored, CaptureRejected, Status, Error>;

    static NativeHostResponse captureStored(
        const QUuid &requestId, const QUuid &sourceId, const QDateTime &expiresAt);
    static NativeHostResponse captureRejected(
        const QUuid &requestId, std::variant<RejectionReason, ClipboardRejection> reason);
    static NativeHostResponse status(const QUuid &requestId, const TovraStatus &status);
    static NativeHostResponse error(std::optional<QUuid> requestId, const NativeMessagingError &error);

    const std::optional<QUuid> &requestId() const noexcept { return m_requestId; }
    const Body &body() const noexcept { return m_body; }
    bool isError() const noexcept { return std::holds_alternative<Error>(m_body); }

    QJsonObject toJson() const;
    // Compact JSON with sorted keys: the bytes that go into the frame.
    QByteArray encode() const;

    bool operator==(const NativeHostResponse &) const = default;

private:
    NativeHostResponse(std::optional<QUuid> requestId, Body body);

    std::optional<QUuid> m_requestId;
    Body m_body;
};

} // namespace tovra
