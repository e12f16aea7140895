#pragma once

#include "core/records/DenylistEntry.h"
#include "core/records/TovraJson.h"

#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>

namespace tovra {

// The user's denylist as the privacy guard reads it. Values are compared
// case-insensitively by the guard, so they need not be normalised here.
struct CustomDenylist {
    QSet<QString> domains;
    QSet<QString> bundleIDs;

    static CustomDenylist fromEntries(const QList<DenylistEntry> &entries);

    bool operator==(const CustomDenylist &) const = default;
};

QJsonObject toJson(const CustomDenylist &denylist);
template <> CustomDenylist fromJson<CustomDenylist>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
