#include "app/data/AppJson.h"

#include "core/records/JsonObjectWriter.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tovra::app {

QByteArray AppJson::encode(const QList<ProvenanceRecord> &records)
{
    QJsonArray array;
    for (const ProvenanceRecord &record : records)
        array.append(toJson(record));
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QJsonObject AppJson::toJson(const ProvenanceRecord &record)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("id"), record.id);
    writer.write(QStringLiteral("source"), toJson(record.source));
    writer.write(QStringLiteral("destination"), toJson(record.destination));
    writer.write(QStringLiteral("confidence"), record.confidence);
    return writer.object();
}

QJsonObject AppJson::toJson(const SourceSnapshot &source)
{
    JsonObjectWriter writer;
    if (source.url)
        writer.write(QStringLiteral("url"), source.url->toString(QUrl::FullyEncoded));
    writer.write(QStringLiteral("title"), source.title);
    writer.write(QStringLiteral("domain"), source.domain);
    writer.write(QStringLiteral("applicationName"), source.applicationName);
    writer.write(QStringLiteral("bundleIdentifier"), source.bundleIdentifier);
    writer.write(QStringLiteral("capturedAt"), source.capturedAt);
    writer.write(QStringLiteral("isUnknown"), source.isUnknown);
    return writer.object();
}

QJsonObject AppJson::toJson(const DestinationSnapshot &destination)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("applicationName"), destination.applicationName);
    writer.write(QStringLiteral("bundleIdentifier"), destination.bundleIdentifier);
    writer.write(QStringLiteral("windowTitle"), destination.windowTitle);
    writer.write(QStringLiteral("accessibilityRole"), destination.accessibilityRole);
    writer.write(QStringLiteral("fieldLabel"), destination.fieldLabel);
    writer.write(QStringLiteral("isSecureTextEntry"), destination.isSecureTextEntry);
    writer.write(QStringLiteral("isEditableTextTarget"), destination.isEditableTextTarget);
    writer.write(QStringLiteral("pastedAt"), destination.pastedAt);
    return writer.object();
}

} // namespace tovra::app
