#include "core/records/TovraStatus.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

QJsonObject toJson(const TovraStatus &status)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("paused"), status.paused);
    writer.write(QStringLiteral("pendingSourceCount"), status.pendingSourceCount);
    writer.write(QStringLiteral("ledgerVersion"), status.ledgerVersion);
    return writer.object();
}

template <> TovraStatus fromJson<TovraStatus>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    TovraStatus status;
    status.paused = reader.requiredBool(QStringLiteral("paused"));
    status.pendingSourceCount = reader.requiredCount(QStringLiteral("pendingSourceCount"));
    status.ledgerVersion = reader.requiredInt32(QStringLiteral("ledgerVersion"));
    return status;
}

} // namespace tovra
