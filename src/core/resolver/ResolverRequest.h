#pragma once

#include "core/citations/CitationFormat.h"
#include "core/records/TovraJson.h"
#include "core/resolver/ResolverProtocolV1.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

namespace tovra {

// The plug-in that speaks. Decoded strictly: any key besides "id" and
// "version" is an error.
struct ResolverPluginIdentity {
    QString id;
    QString version;

    friend bool operator==(const ResolverPluginIdentity &, const ResolverPluginIdentity &) = default;
};

// A proof of the content a request is about. Decoded strictly: any key
// besides "algorithm" and "value" is an error.
struct ResolverContentProof {
    QString algorithm;
    QString value;

    friend bool operator==(const ResolverContentProof &, const ResolverContentProof &) = default;
};

// The one message a plug-in sends. Decoding is strict: an unknown key, here or
// in "plugin" or "contentProof", fails the whole request. Neither the
// "protocol" value nor which optional fields a type carries is checked here;
// that is the receiver's business.
struct ResolverRequest {
    // Every optional field defaults to absent, so a request can be built from
    // its three required fields alone.
    ResolverRequest(QString protocol, ResolverRequestType type, QUuid requestId,
        std::optional<ResolverPluginIdentity> plugin = std::nullopt,
        std::optional<QUuid> sessionId = std::nullopt, std::optional<QString> sessionNonce = std::nullopt,
        std::optional<QString> adapter = std::nullopt, std::optional<QString> mime = std::nullopt,
        std::optional<ResolverContentProof> contentProof = std::nullopt,
        std::optional<QUuid> resolutionId = std::nullopt,
        std::optional<CitationFormat> format = std::nullopt);

    QString protocol;
    ResolverRequestType type;
    QUuid requestId;
    std::optional<ResolverPluginIdentity> plugin;
    std::optional<QUuid> sessionId;
    std::optional<QString> sessionNonce;
    std::optional<QString> adapter;
    std::optional<QString> mime;
    std::optional<ResolverContentProof> contentProof;
    std::optional<QUuid> resolutionId;
    std::optional<CitationFormat> format;

    // The eleven keys a request may carry.
    static const QSet<QString> &allowedKeys();

    // The request identifier of a message, read without decoding anything
    // else, so that even a message that fails decoding can be answered. None
    // for bytes that are not a JSON object or whose "requestId" is not a UUID
    // string. Never throws.
    static std::optional<QUuid> probeRequestID(const QByteArray &message);

    friend bool operator==(const ResolverRequest &, const ResolverRequest &) = default;
};

QJsonObject toJson(const ResolverPluginIdentity &identity);
QJsonObject toJson(const ResolverContentProof &proof);
QJsonObject toJson(const ResolverRequest &request);

template <>
ResolverPluginIdentity fromJson<ResolverPluginIdentity>(const QJsonObject &object, const QString &keyPath);
template <>
ResolverContentProof fromJson<ResolverContentProof>(const QJsonObject &object, const QString &keyPath);
template <> ResolverRequest fromJson<ResolverRequest>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
