#include "core/nativehost/NativeHostRequest.h"

#include "core/nativehost/NativeMessagingError.h"
#include "core/records/JsonObjectReader.h"

#include <QJsonDocument>
#include <QStringDecoder>

namespace tovra {

namespace {

const QString schemaVersionKey = QStringLiteral("schemaVersion");
const QString typeKey = QStringLiteral("type");
const QString requestIdKey = QStringLiteral("requestId");
const QString payloadKey = QStringLiteral("payload");

QJsonObject parseObject(const QByteArray &message)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(message);
    if (utf8.hasError()) {
        throw NativeMessagingError::malformedRequest(QStringLiteral("The message is not valid UTF-8."));
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(message, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        throw NativeMessagingError::malformedRequest(
            QStringLiteral("The message is not JSON: %1 at offset %2.")
                .arg(parseError.errorString())
                .arg(parseError.offset));
    }
    if (!document.isObject()) {
        throw NativeMessagingError::malformedRequest(QStringLiteral("The message is not a JSON object."));
    }
    return document.object();
}

NativeHostRequest decodeObject(const QJsonObject &object)
{
    const JsonObjectReader reader(object);

    const qint64 version = reader.requiredInteger(schemaVersionKey);
    if (version != NativeHostRequest::schemaVersion) {
        throw NativeMessagingError::unsupportedSchemaVersion(version);
    }

    const QString typeName = reader.requiredString(typeKey);
    const std::optional<NativeHostRequestType> type = NativeHostRequest::typeFromWireName(typeName);
    if (!type) {
        throw NativeMessagingError::malformedRequest(
            QStringLiteral("Unknown request type \"%1\".").arg(typeName));
    }

    NativeHostRequest request;
    request.type = *type;
    switch (*type) {
    case NativeHostRequestType::captureSource:
        reader.rejectUnknownKeys({ schemaVersionKey, typeKey, requestIdKey, payloadKey });
        request.requestId = reader.requiredUuid(requestIdKey);
        request.payload = reader.requiredRecord<SourceCapturePayload>(payloadKey);
        break;
    case NativeHostRequestType::getStatus:
        reader.rejectUnknownKeys({ schemaVersionKey, typeKey, requestIdKey });
        request.requestId = reader.requiredUuid(requestIdKey);
        break;
    }
    return request;
}

} // namespace

NativeHostRequest NativeHostRequest::decode(const QByteArray &message)
{
    const QJsonObject object = parseObject(message);
    try {
        return decodeObject(object);
    } catch (const TovraJsonError &error) {
        throw NativeMessagingError::malformedRequest(error.localizedDescription());
    }
}

std::optional<QUuid> NativeHostRequest::readableRequestId(const QByteArray &message)
{
    const QJsonDocument document = QJsonDocument::fromJson(message);
    if (!document.isObject()) {
        return std::nullopt;
    }
    const QJsonValue value = document.object().value(requestIdKey);
    if (!value.isString()) {
        return std::nullopt;
    }
    return TovraJson::parseUuid(value.toString());
}

QString NativeHostRequest::wireName(NativeHostRequestType type)
{
    switch (type) {
    case NativeHostRequestType::captureSource:
        return QStringLiteral("capture_source");
    case NativeHostRequestType::getStatus:
        return QStringLiteral("get_status");
    }
    return {};
}

std::optional<NativeHostRequestType> NativeHostRequest::typeFromWireName(const QString &name)
{
    for (const NativeHostRequestType type :
        { NativeHostRequestType::captureSource, NativeHostRequestType::getStatus }) {
        if (wireName(type) == name) {
            return type;
        }
    }
    return std::nullopt;
}

} // namespace tovra
