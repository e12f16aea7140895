#include "core/records/DenylistEntry.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

QJsonObject toJson(const DenylistEntry &entry)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("kind"), entry.kind);
    writer.write(QStringLiteral("value"), entry.value);
    writer.write(QStringLiteral("createdAt"), entry.createdAt);
    return writer.object();
}

template <> DenylistEntry fromJson<DenylistEntry>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    DenylistEntry entry;
    entry.kind = reader.requiredEnum<DenylistKind>(QStringLiteral("kind"));
    entry.value = reader.requiredString(QStringLiteral("value"));
    entry.createdAt = reader.requiredDate(QStringLiteral("createdAt"));
    return entry;
}

} // namespace tovra
