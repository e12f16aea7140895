#pragma once

#include "core/records/RecordEnums.h"
#include "core/records/TovraJson.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace tovra {

// One custom denylist rule: a web domain (which covers its subdomains) or an
// application bundle identifier, kept in its normalised form.
struct DenylistEntry {
    DenylistKind kind = DenylistKind::domain;
    QString value;
    QDateTime createdAt;

    bool operator==(const DenylistEntry &) const = default;
};

QJsonObject toJson(const DenylistEntry &entry);
template <> DenylistEntry fromJson<DenylistEntry>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
