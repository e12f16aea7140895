#include "core/resolver/ResolverResponses.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

#include <QJsonArray>

namespace tovra {

namespace {

const QString protocolKey = QStringLiteral("protocol");
const QString typeKey = QStringLiteral("type");
const QString requestIdKey = QStringLiteral("requestId");
const QString resolutionIdKey = QStringLiteral("resolutionId");

JsonObjectWriter headerWriter(const QString &protocol, const QString &type, const QUuid &requestId)
{
    JsonObjectWriter writer;
    writer.write(protocolKey, protocol);
    writer.write(typeKey, type);
    writer.write(requestIdKey, requestId);
    return writer;
}

// The three keys every response begins with; "protocol" and "type" are taken
// as they come.
struct Header {
    QString protocol;
    QString type;
    QUuid requestId;
};

Header readHeader(const JsonObjectReader &reader)
{
    Header header;
    header.protocol = reader.requiredString(protocolKey);
    header.type = reader.requiredString(typeKey);
    header.requestId = reader.requiredUuid(requestIdKey);
    return header;
}

// Replaces the fixed header a constructor fills in with what the message says.
template <typename Response> Response withHeader(Response response, const Header &header)
{
    response.protocol = header.protocol;
    response.type = header.type;
    response.requestId = header.requestId;
    return response;
}

QStringList requiredStringList(const JsonObjectReader &reader, const QString &key)
{
    const QJsonArray array = reader.requiredArray(key);
    QStringList strings;
    strings.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
        const QJsonValue element = array.at(index);
        if (!element.isString()) {
            throw TovraJsonError::typeMismatch(TovraJson::elementPath(reader.path(key), index),
                QStringLiteral("a string"), JsonObjectReader::typeName(element));
        }
        strings.append(element.toString());
    }
    return strings;
}

} // namespace

ResolverHelloAck::ResolverHelloAck(QUuid requestId, QUuid sessionId, QString sessionNonce,
    QString contentProofKey, QStringList capabilities, qint64 maxFrameBytes)
    : protocol(ResolverProtocolV1::identifier)
    , type(typeValue)
    , requestId(requestId)
    , sessionId(sessionId)
    , sessionNonce(std::move(sessionNonce))
    , contentProofKey(std::move(contentProofKey))
    , capabilities(std::move(capabilities))
    , maxFrameBytes(maxFrameBytes)
{
}

ResolverCitationPlan::ResolverCitationPlan(QUuid requestId, QUuid resolutionId, qint64 expiresInMs,
    CitationFormat format, QString footnoteSeed, ResolverCitationSourcePlan source, QString receiptURL)
    : protocol(ResolverProtocolV1::identifier)
    , type(typeValue)
    , requestId(requestId)
    , resolutionId(resolutionId)
    , expiresInMs(expiresInMs)
    , format(format)
    , footnoteSeed(std::move(footnoteSeed))
    , source(std::move(source))
    , receiptURL(std::move(receiptURL))
{
}

ResolverNoCitation::ResolverNoCitation(
    QUuid requestId, ResolverNoCitationReason reason, std::optional<QUuid> resolutionId)
    : protocol(ResolverProtocolV1::identifier)
    , type(typeValue)
    , requestId(requestId)
    , reason(reason)
    , resolutionId(resolutionId)
{
}

ResolverAckAccepted::ResolverAckAccepted(QUuid requestId, QUuid resolutionId)
    : protocol(ResolverProtocolV1::identifier)
    , type(typeValue)
    , requestId(requestId)
    , resolutionId(resolutionId)
{
}

ResolverHeartbeatAck::ResolverHeartbeatAck(QUuid requestId)
    : protocol(ResolverProtocolV1::identifier)
    , type(typeValue)
    , requestId(requestId)
{
}

ResolverErrorResponse::ResolverErrorResponse(QUuid requestId, QString code, QString message)
    : protocol(ResolverProtocolV1::identifier)
    , type(typeValue)
    , requestId(requestId)
    , code(std::move(code))
    , message(std::move(message))
{
}

QJsonObject toJson(const ResolverHelloAck &response)
{
    JsonObjectWriter writer = headerWriter(response.protocol, response.type, response.requestId);
    writer.write(QStringLiteral("sessionId"), response.sessionId);
    writer.write(QStringLiteral("sessionNonce"), response.sessionNonce);
    writer.write(QStringLiteral("contentProofKey"), response.contentProofKey);
    writer.write(QStringLiteral("capabilities"), QJsonArray::fromStringList(response.capabilities));
    writer.write(QStringLiteral("maxFrameBytes"), response.maxFrameBytes);
    return writer.object();
}

QJsonObject toJson(const ResolverCitationSourcePlan &source)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("kind"), source.kind);
    writer.write(QStringLiteral("displayTitle"), source.displayTitle);
    writer.write(QStringLiteral("applicationName"), source.applicationName);
    writer.write(QStringLiteral("capturedAtLabel"), source.capturedAtLabel);
    writer.write(QStringLiteral("linkLabel"), source.linkLabel);
    writer.write(QStringLiteral("linkURL"), source.linkURL);
    return writer.object();
}

QJsonObject toJson(const ResolverCitationPlan &response)
{
    JsonObjectWriter writer = headerWriter(response.protocol, response.type, response.requestId);
    writer.write(resolutionIdKey, response.resolutionId);
    writer.write(QStringLiteral("expiresInMs"), response.expiresInMs);
    writer.write(QStringLiteral("format"), response.format);
    writer.write(QStringLiteral("footnoteSeed"), response.footnoteSeed);
    writer.writeRecord(QStringLiteral("source"), response.source);
    writer.write(QStringLiteral("receiptURL"), response.receiptURL);
    return writer.object();
}

QJsonObject toJson(const ResolverNoCitation &response)
{
    JsonObjectWriter writer = headerWriter(response.protocol, response.type, response.requestId);
    writer.write(QStringLiteral("reason"), response.reason);
    writer.write(resolutionIdKey, response.resolutionId);
    return writer.object();
}

QJsonObject toJson(const ResolverAckAccepted &response)
{
    JsonObjectWriter writer = headerWriter(response.protocol, response.type, response.requestId);
    writer.write(resolutionIdKey, response.resolutionId);
    return writer.object();
}

QJsonObject toJson(const ResolverHeartbeatAck &response)
{
    return headerWriter(response.protocol, response.type, response.requestId).object();
}

QJsonObject toJson(const ResolverErrorResponse &response)
{
    JsonObjectWriter writer = headerWriter(response.protocol, response.type, response.requestId);
    writer.write(QStringLiteral("code"), response.code);
    writer.write(QStringLiteral("message"), response.message);
    return writer.object();
}

// Each reader below reads its keys one after the other in field order, so
// the first problem in that order is the one reported.

template <> ResolverHelloAck fromJson<ResolverHelloAck>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    const Header header = readHeader(reader);
    const QUuid sessionId = reader.requiredUuid(QStringLiteral("sessionId"));
    QString sessionNonce = reader.requiredString(QStringLiteral("sessionNonce"));
    QString contentProofKey = reader.requiredString(QStringLiteral("contentProofKey"));
    QStringList capabilities = requiredStringList(reader, QStringLiteral("capabilities"));
    const qint64 maxFrameBytes = reader.requiredInteger(QStringLiteral("maxFrameBytes"));
    return withHeader(ResolverHelloAck(header.requestId, sessionId, std::move(sessionNonce),
                          std::move(contentProofKey), std::move(capabilities), maxFrameBytes),
        header);
}

template <>
ResolverCitationSourcePlan fromJson<ResolverCitationSourcePlan>(
    const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    ResolverCitationSourcePlan source;
    source.kind = reader.requiredEnum<ResolverSourceKind>(QStringLiteral("kind"));
    source.displayTitle = reader.requiredString(QStringLiteral("displayTitle"));
    source.applicationName = reader.requiredString(QStringLiteral("applicationName"));
    source.capturedAtLabel = reader.requiredString(QStringLiteral("capturedAtLabel"));
    source.linkLabel = reader.requiredString(QStringLiteral("linkLabel"));
    source.linkURL = reader.requiredString(QStringLiteral("linkURL"));
    return source;
}

template <>
ResolverCitationPlan fromJson<ResolverCitationPlan>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    const Header header = readHeader(reader);
    const QUuid resolutionId = reader.requiredUuid(resolutionIdKey);
    const qint64 expiresInMs = reader.requiredInteger(QStringLiteral("expiresInMs"));
    const CitationFormat format = reader.requiredEnum<CitationFormat>(QStringLiteral("format"));
    QString footnoteSeed = reader.requiredString(QStringLiteral("footnoteSeed"));
    auto source = reader.requiredRecord<ResolverCitationSourcePlan>(QStringLiteral("source"));
    QString receiptURL = reader.requiredString(QStringLiteral("receiptURL"));
    return withHeader(ResolverCitationPlan(header.requestId, resolutionId, expiresInMs, format,
                          std::move(footnoteSeed), std::move(source), std::move(receiptURL)),
        header);
}

template <> ResolverNoCitation fromJson<ResolverNoCitation>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    const Header header = readHeader(reader);
    const auto reason = reader.requiredEnum<ResolverNoCitationReason>(QStringLiteral("reason"));
    const std::optional<QUuid> resolutionId = reader.optionalUuid(resolutionIdKey);
    return withHeader(ResolverNoCitation(header.requestId, reason, resolutionId), header);
}

template <>
ResolverAckAccepted fromJson<ResolverAckAccepted>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    const Header header = readHeader(reader);
    const QUuid resolutionId = reader.requiredUuid(resolutionIdKey);
    return withHeader(ResolverAckAccepted(header.requestId, resolutionId), header);
}

template <>
ResolverHeartbeatAck fromJson<ResolverHeartbeatAck>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    return withHeader(ResolverHeartbeatAck(QUuid()), readHeader(reader));
}

template <>
ResolverErrorResponse fromJson<ResolverErrorResponse>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    const Header header = readHeader(reader);
    QString code = reader.requiredString(QStringLiteral("code"));
    QString message = reader.requiredString(QStringLiteral("message"));
    return withHeader(ResolverErrorResponse(header.requestId, std::move(code), std::move(message)), header);
}

} // namespace tovra
