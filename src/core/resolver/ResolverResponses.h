#pragma once

#include "core/citations/CitationFormat.h"
#include "core/records/TovraJson.h"
#include "core/resolver/ResolverProtocolV1.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace tovra {

// The responses the app sends. Each carries "protocol" and "type", filled by
// its constructor; decoding takes both as they come, requires every other key
// (only a no-citation answer may lack its resolution identifier) and ignores
// keys it does not know.

struct ResolverHelloAck {
    ResolverHelloAck(QUuid requestId, QUuid sessionId, QString sessionNonce, QString contentProofKey,
        QStringList capabilities, qint64 maxFrameBytes);

    static constexpr QLatin1StringView typeValue { "helloAck" };

    QString protocol;
    QString type;
    QUuid requestId;
    QUuid sessionId;
    QString sessionNonce;
    QString contentProofKey;
    QStringList capabilities;
    qint64 maxFrameBytes = 0;

    friend bool operator==(const ResolverHelloAck &, const ResolverHelloAck &) = default;
};

// The "source" object of a citation plan.
struct ResolverCitationSourcePlan {
    ResolverSourceKind kind = ResolverSourceKind::web;
    QString displayTitle;
    QString applicationName;
    QString capturedAtLabel;
    QString linkLabel;
    QString linkURL;

    friend bool operator==(const ResolverCitationSourcePlan &, const ResolverCitationSourcePlan &) = default;
};

struct ResolverCitationPlan {
    ResolverCitationPlan(QUuid requestId, QUuid resolutionId, qint64 expiresInMs, CitationFormat format,
        QString footnoteSeed, ResolverCitationSourcePlan source, QString receiptURL);

    static constexpr QLatin1StringView typeValue { "citationPlan" };

    QString protocol;
    QString type;
    QUuid requestId;
    QUuid resolutionId;
    qint64 expiresInMs = 0;
    CitationFormat format = CitationFormat::inline_;
    QString footnoteSeed;
    ResolverCitationSourcePlan source;
    QString receiptURL;

    friend bool operator==(const ResolverCitationPlan &, const ResolverCitationPlan &) = default;
};

struct ResolverNoCitation {
    ResolverNoCitation(
        QUuid requestId, ResolverNoCitationReason reason, std::optional<QUuid> resolutionId = std::nullopt);

    static constexpr QLatin1StringView typeValue { "noCitation" };

    QString protocol;
    QString type;
    QUuid requestId;
    ResolverNoCitationReason reason = ResolverNoCitationReason::sourceUnknown;
    // Left out of the JSON when absent.
    std::optional<QUuid> resolutionId;

    friend bool operator==(const ResolverNoCitation &, const ResolverNoCitation &) = default;
};

struct ResolverAckAccepted {
    ResolverAckAccepted(QUuid requestId, QUuid resolutionId);

    static constexpr QLatin1StringView typeValue { "ackAccepted" };

    QString protocol;
    QString type;
    QUuid requestId;
    QUuid resolutionId;

    friend bool operator==(const ResolverAckAccepted &, const ResolverAckAccepted &) = default;
};

struct ResolverHeartbeatAck {
    explicit ResolverHeartbeatAck(QUuid requestId);

    static constexpr QLatin1StringView typeValue { "heartbeatAck" };

    QString protocol;
    QString type;
    QUuid requestId;

    friend bool operator==(const ResolverHeartbeatAck &, const ResolverHeartbeatAck &) = default;
};

struct ResolverErrorResponse {
    ResolverErrorResponse(QUuid requestId, QString code, QString message);

    static constexpr QLatin1StringView typeValue { "error" };

    QString protocol;
    QString type;
    QUuid requestId;
    QString code;
    QString message;

    friend bool operator==(const ResolverErrorResponse &, const ResolverErrorResponse &) = default;
};

QJsonObject toJson(const ResolverHelloAck &response);
QJsonObject toJson(const ResolverCitationSourcePlan &source);
QJsonObject toJson(const ResolverCitationPlan &response);
QJsonObject toJson(const ResolverNoCitation &response);
QJsonObject toJson(const ResolverAckAccepted &response);
QJsonObject toJson(const ResolverHeartbeatAck &response);
QJsonObject toJson(const ResolverErrorResponse &response);

template <> ResolverHelloAck fromJson<ResolverHelloAck>(const QJsonObject &object, const QString &keyPath);
template <>
ResolverCitationSourcePlan fromJson<ResolverCitationSourcePlan>(
    const QJsonObject &object, const QString &keyPath);
template <>
ResolverCitationPlan fromJson<ResolverCitationPlan>(const QJsonObject &object, const QString &keyPath);
template <>
ResolverNoCitation fromJson<ResolverNoCitation>(const QJsonObject &object, const QString &keyPath);
template <>
ResolverAckAccepted fromJson<ResolverAckAccepted>(const QJsonObject &object, const QString &keyPath);
template <>
ResolverHeartbeatAck fromJson<ResolverHeartbeatAck>(const QJsonObject &object, const QString &keyPath);
template <>
ResolverErrorResponse fromJson<ResolverErrorResponse>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
