#include "core/records/PendingSource.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

QJsonObject toJson(const PendingSource &source)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("id"), source.id);
    writer.write(QStringLiteral("captureMethod"), source.captureMethod);
    writer.write(QStringLiteral("contentFingerprint"), source.contentFingerprint);
    writer.write(QStringLiteral("byteCount"), source.byteCount);
    writer.write(QStringLiteral("sanitizedURL"), source.sanitizedURL);
    writer.write(QStringLiteral("pageTitle"), source.pageTitle);
    writer.write(QStringLiteral("sourceAppName"), source.sourceAppName);
    writer.write(QStringLiteral("sourceAppBundleID"), source.sourceAppBundleID);
    writer.write(QStringLiteral("sourceProcessIdentifier"), source.sourceProcessIdentifier);
    writer.write(QStringLiteral("capturedAt"), source.capturedAt);
    writer.write(QStringLiteral("expiresAt"), source.expiresAt);
    return writer.object();
}

template <> PendingSource fromJson<PendingSource>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    PendingSource source;
    source.id = reader.requiredUuid(QStringLiteral("id"));
    source.captureMethod = reader.requiredEnum<CaptureMethod>(QStringLiteral("captureMethod"));
    source.contentFingerprint = reader.optionalString(QStringLiteral("contentFingerprint"));
    source.byteCount = reader.requiredCount(QStringLiteral("byteCount"));
    source.sanitizedURL = reader.optionalString(QStringLiteral("sanitizedURL"));
    source.pageTitle = reader.optionalString(QStringLiteral("pageTitle"));
    source.sourceAppName = reader.optionalString(QStringLiteral("sourceAppName"));
    source.sourceAppBundleID = reader.optionalString(QStringLiteral("sourceAppBundleID"));
    source.sourceProcessIdentifier = reader.optionalInt32(QStringLiteral("sourceProcessIdentifier"));
    source.capturedAt = reader.requiredDate(QStringLiteral("capturedAt"));
    source.expiresAt = reader.requiredDate(QStringLiteral("expiresAt"));
    return source;
}

} // namespace tovra
