#include "core/records/CustomDenylist.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

CustomDenylist CustomDenylist::fromEntries(const QList<DenylistEntry> &entries)
{
    CustomDenylist denylist;
    for (const DenylistEntry &entry : entries) {
        switch (entry.kind) {
        case DenylistKind::domain:
            denylist.domains.insert(entry.value);
            break;
        case DenylistKind::bundleID:
            denylist.bundleIDs.insert(entry.value);
            break;
        }
    }
    return denylist;
}

QJsonObject toJson(const CustomDenylist &denylist)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("domains"), denylist.domains);
    writer.write(QStringLiteral("bundleIDs"), denylist.bundleIDs);
    return writer.object();
}

template <> CustomDenylist fromJson<CustomDenylist>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    CustomDenylist denylist;
    denylist.domains = reader.requiredStringSet(QStringLiteral("domains"));
    denylist.bundleIDs = reader.requiredStringSet(QStringLiteral("bundleIDs"));
    return denylist;
}

} // namespace tovra
