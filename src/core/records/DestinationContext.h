#pragma once

#include "core/records/TovraJson.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace tovra {

// Where a paste went: the application and, as far as it could be inspected,
// the window, document and input field.
struct DestinationContext {
    QString appBundleID;
    std::optional<QString> appName;
    std::optional<QString> windowTitle;
    std::optional<QString> documentID;
    std::optional<QString> url;
    std::optional<QString> fieldRole;
    std::optional<QString> fieldLabel;
    std::optional<QString> inputType;
    std::optional<QString> autocomplete;
    bool isSecureTextEntry = false;

    bool operator==(const DestinationContext &) const = default;
};

QJsonObject toJson(const DestinationContext &destination);
template <>
DestinationContext fromJson<DestinationContext>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
