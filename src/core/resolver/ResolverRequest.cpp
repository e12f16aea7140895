#include "core/resolver/ResolverRequest.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace tovra {

ResolverRequest::ResolverRequest(QString protocol, ResolverRequestType type, QUuid requestId,
    std::optional<ResolverPluginIdentity> plugin, std::optional<QUuid> sessionId,
    std::optional<QString> sessionNonce, std::optional<QString> adapter, std::optional<QString> mime,
    std::optional<ResolverContentProof> contentProof, std::optional<QUuid> resolutionId,
    std::optional<CitationFormat> format)
    : protocol(std::move(protocol))
    , type(type)
    , requestId(requestId)
    , plugin(std::move(plugin))
    , sessionId(sessionId)
    , sessionNonce(std::move(sessionNonce))
    , adapter(std::move(adapter))
    , mime(std::move(mime))
    , contentProof(std::move(contentProof))
    , resolutionId(resolutionId)
    , format(format)
{
}

const QSet<QString> &ResolverRequest::allowedKeys()
{
    static const QSet<QString> keys {
        QStringLiteral("protocol"),
        QStringLiteral("type"),
        QStringLiteral("requestId"),
        QStringLiteral("plugin"),
        QStringLiteral("sessionId"),
        QStringLiteral("sessionNonce"),
        QStringLiteral("adapter"),
        QStringLiteral("mime"),
        QStringLiteral("contentProof"),
        QStringLiteral("resolutionId"),
        QStringLiteral("format"),
    };
    return keys;
}

std::optional<QUuid> ResolverRequest::probeRequestID(const QByteArray &message)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(message, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue requestId = document.object().value(QStringLiteral("requestId"));
    if (!requestId.isString())
        return std::nullopt;
    return TovraJson::parseUuid(requestId.toString());
}

QJsonObject toJson(const ResolverPluginIdentity &identity)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("id"), identity.id);
    writer.write(QStringLiteral("version"), identity.version);
    return writer.object();
}

QJsonObject toJson(const ResolverContentProof &proof)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("algorithm"), proof.algorithm);
    writer.write(QStringLiteral("value"), proof.value);
    return writer.object();
}

QJsonObject toJson(const ResolverRequest &request)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("protocol"), request.protocol);
    writer.write(QStringLiteral("type"), request.type);
    writer.write(QStringLiteral("requestId"), request.requestId);
    writer.writeRecord(QStringLiteral("plugin"), request.plugin);
    writer.write(QStringLiteral("sessionId"), request.sessionId);
    writer.write(QStringLiteral("sessionNonce"), request.sessionNonce);
    writer.write(QStringLiteral("adapter"), request.adapter);
    writer.write(QStringLiteral("mime"), request.mime);
    writer.writeRecord(QStringLiteral("contentProof"), request.contentProof);
    writer.write(QStringLiteral("resolutionId"), request.resolutionId);
    writer.write(QStringLiteral("format"), request.format);
    return writer.object();
}

template <>
ResolverPluginIdentity fromJson<ResolverPluginIdentity>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    static const QSet<QString> allowed { QStringLiteral("id"), QStringLiteral("version") };
    reader.rejectUnknownKeys(allowed);
    return { reader.requiredString(QStringLiteral("id")), reader.requiredString(QStringLiteral("version")) };
}

template <>
ResolverContentProof fromJson<ResolverContentProof>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    static const QSet<QString> allowed { QStringLiteral("algorithm"), QStringLiteral("value") };
    reader.rejectUnknownKeys(allowed);
    return { reader.requiredString(QStringLiteral("algorithm")),
        reader.requiredString(QStringLiteral("value")) };
}

template <> ResolverRequest fromJson<ResolverRequest>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    reader.rejectUnknownKeys(ResolverRequest::allowedKeys());

    // Read one after the other, so the first problem in field order is the one reported.
    QString protocol = reader.requiredString(QStringLiteral("protocol"));
    const auto type = reader.requiredEnum<ResolverRequestType>(QStringLiteral("type"));
    const QUuid requestId = reader.requiredUuid(QStringLiteral("requestId"));
    auto plugin = reader.optionalRecord<ResolverPluginIdentity>(QStringLiteral("plugin"));
    const auto sessionId = reader.optionalUuid(QStringLiteral("sessionId"));
    auto sessionNonce = reader.optionalString(QStringLiteral("sessionNonce"));
    auto adapter = reader.optionalString(QStringLiteral("adapter"));
    auto mime = reader.optionalString(QStringLiteral("mime"));
    auto contentProof = reader.optionalRecord<ResolverContentProof>(QStringLiteral("contentProof"));
    const auto resolutionId = reader.optionalUuid(QStringLiteral("resolutionId"));
    const auto format = reader.optionalEnum<CitationFormat>(QStringLiteral("format"));
    return ResolverRequest(std::move(protocol), type, requestId, std::move(plugin), sessionId,
        std::move(sessionNonce), std::move(adapter), std::move(mime), std::move(contentProof), resolutionId,
        format);
}

} // namespace tovra
