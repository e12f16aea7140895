#include "core/citations/CitationSource.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

CitationSource CitationSource::from(const QUuid &traceID, const PendingSource &source)
{
    return CitationSource {
        .traceID = traceID,
        .sourceID = source.id,
        .captureMethod = source.captureMethod,
        .sanitizedURL = source.sanitizedURL,
        .sourceTitle = source.pageTitle,
        .sourceAppName = source.sourceAppName,
        .capturedAt = source.capturedAt,
        .expiresAt = source.expiresAt,
    };
}

QJsonObject toJson(const CitationSource &source)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("traceID"), source.traceID);
    writer.write(QStringLiteral("sourceID"), source.sourceID);
    writer.write(QStringLiteral("captureMethod"), source.captureMethod);
    writer.write(QStringLiteral("sanitizedURL"), source.sanitizedURL);
    writer.write(QStringLiteral("sourceTitle"), source.sourceTitle);
    writer.write(QStringLiteral("sourceAppName"), source.sourceAppName);
    writer.write(QStringLiteral("capturedAt"), source.capturedAt);
    writer.write(QStringLiteral("expiresAt"), source.expiresAt);
    return writer.object();
}

template <> CitationSource fromJson<CitationSource>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    return CitationSource {
        .traceID = reader.requiredUuid(QStringLiteral("traceID")),
        .sourceID = reader.requiredUuid(QStringLiteral("sourceID")),
        .captureMethod = reader.requiredEnum<CaptureMethod>(QStringLiteral("captureMethod")),
        .sanitizedURL = reader.optionalString(QStringLiteral("sanitizedURL")),
        .sourceTitle = reader.optionalString(QStringLiteral("sourceTitle")),
        .sourceAppName = reader.optionalString(QStringLiteral("sourceAppName")),
        .capturedAt = reader.requiredDate(QStringLiteral("capturedAt")),
        .expiresAt = reader.requiredDate(QStringLiteral("expiresAt")),
    };
}

} // namespace tovra
