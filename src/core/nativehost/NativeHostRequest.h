#pragma once

#include "core/records/EnumNames.h"
#include "core/records/SourceCapturePayload.h"

#include <QByteArray>
#include <QUuid>

#include <optional>

namespace tovra {

enum class NativeHostRequestType {
    captureSource,
    getStatus,
};

// A request from the browser extension. Decoding is strict: anything that is
// not exactly one of the two request shapes of schema version 1 is refused.
struct NativeHostRequest {
    static constexpr qint64 schemaVersion = 1;

    NativeHostRequestType type = NativeHostRequestType::getStatus;
    QUuid requestId;
    // Present exactly for captureSource.
    std::optional<SourceCapturePayload> payload;

    bool operator==(const NativeHostRequest &) const = default;

    // Throws NativeMessagingError: unsupportedSchemaVersion for a readable
    // schemaVersion other than 1, malformedRequest for everything else that
    // is wrong (not UTF-8, not a JSON object, missing or mistyped fields,
    // unknown request type, unknown keys at any level).
    static NativeHostRequest decode(const QByteArray &message);

    // The request's identifier as far as it can be read from a message that
    // may otherwise be wrong; error responses carry it when present.
    static std::optional<QUuid> readableRequestId(const QByteArray &message);

    // "capture_source", "get_status": the values of the "type" key.
    static QString wireName(NativeHostRequestType type);
    static std::optional<NativeHostRequestType> typeFromWireName(const QString &name);
};

} // namespace tovra
