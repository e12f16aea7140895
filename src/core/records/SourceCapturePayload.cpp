#include "core/records/SourceCapturePayload.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

const QSet<QString> &SourceCapturePayload::allowedKeys()
{
    static const QSet<QString> keys {
        QStringLiteral("url"),
        QStringLiteral("title"),
        QStringLiteral("selectedText"),
        QStringLiteral("isIncognito"),
        QStringLiteral("capturedAt"),
    };
    return keys;
}

QJsonObject toJson(const SourceCapturePayload &payload)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("url"), payload.url);
    writer.write(QStringLiteral("title"), payload.title);
    writer.write(QStringLiteral("selectedText"), payload.selectedText);
    writer.write(QStringLiteral("isIncognito"), payload.isIncognito);
    writer.write(QStringLiteral("capturedAt"), payload.capturedAt);
    return writer.object();
}

template <>
SourceCapturePayload fromJson<SourceCapturePayload>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    reader.rejectUnknownKeys(SourceCapturePayload::allowedKeys());
    SourceCapturePayload payload;
    payload.url = reader.requiredString(QStringLiteral("url"));
    payload.title = reader.optionalString(QStringLiteral("title"));
    payload.selectedText = reader.requiredString(QStringLiteral("selectedText"));
    payload.isIncognito = reader.optionalBool(QStringLiteral("isIncognito"));
    payload.capturedAt = reader.optionalString(QStringLiteral("capturedAt"));
    return payload;
}

} // namespace tovra
