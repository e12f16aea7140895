#include "core/records/DestinationContext.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

QJsonObject toJson(const DestinationContext &destination)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("appBundleID"), destination.appBundleID);
    writer.write(QStringLiteral("appName"), destination.appName);
    writer.write(QStringLiteral("windowTitle"), destination.windowTitle);
    writer.write(QStringLiteral("documentID"), destination.documentID);
    writer.write(QStringLiteral("url"), destination.url);
    writer.write(QStringLiteral("fieldRole"), destination.fieldRole);
    writer.write(QStringLiteral("fieldLabel"), destination.fieldLabel);
    writer.write(QStringLiteral("inputType"), destination.inputType);
    writer.write(QStringLiteral("autocomplete"), destination.autocomplete);
    writer.write(QStringLiteral("isSecureTextEntry"), destination.isSecureTextEntry);
    return writer.object();
}

template <> DestinationContext fromJson<DestinationContext>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    DestinationContext destination;
    destination.appBundleID = reader.requiredString(QStringLiteral("appBundleID"));
    destination.appName = reader.optionalString(QStringLiteral("appName"));
    destination.windowTitle = reader.optionalString(QStringLiteral("windowTitle"));
    destination.documentID = reader.optionalString(QStringLiteral("documentID"));
    destination.url = reader.optionalString(QStringLiteral("url"));
    destination.fieldRole = reader.optionalString(QStringLiteral("fieldRole"));
    destination.fieldLabel = reader.optionalString(QStringLiteral("fieldLabel"));
    destination.inputType = reader.optionalString(QStringLiteral("inputType"));
    destination.autocomplete = reader.optionalString(QStringLiteral("autocomplete"));
    destination.isSecureTextEntry = reader.requiredBool(QStringLiteral("isSecureTextEntry"));
    return destination;
}

} // namespace tovra
