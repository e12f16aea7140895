#include "core/records/LedgerSnapshot.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

int LedgerSnapshot::versionOf(const QJsonObject &object)
{
    return JsonObjectReader(object).requiredInt32(QStringLiteral("version"));
}

QJsonObject toJson(const LedgerSnapshot &snapshot)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("version"), snapshot.version);
    writer.writeRecordList(QStringLiteral("pendingSources"), snapshot.pendingSources);
    writer.writeRecordList(QStringLiteral("traceRecords"), snapshot.traceRecords);
    writer.writeRecordList(QStringLiteral("customDenylistEntries"), snapshot.customDenylistEntries);
    writer.write(QStringLiteral("isPaused"), snapshot.isPaused);
    writer.write(QStringLiteral("updatedAt"), snapshot.updatedAt);
    return writer.object();
}

template <> LedgerSnapshot fromJson<LedgerSnapshot>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    LedgerSnapshot snapshot;
    snapshot.version = reader.requiredInt32(QStringLiteral("version"));
    if (snapshot.version != LedgerSnapshot::currentVersion) {
        throw TovraJsonError::invalidValue(reader.path(QStringLiteral("version")),
            QStringLiteral("ledger version %1 is not the current version %2")
                .arg(snapshot.version)
                .arg(LedgerSnapshot::currentVersion));
    }
    snapshot.pendingSources = reader.requiredRecordList<PendingSource>(QStringLiteral("pendingSources"));
    snapshot.traceRecords = reader.requiredRecordList<TraceRecord>(QStringLiteral("traceRecords"));
    snapshot.customDenylistEntries
        = reader.requiredRecordList<DenylistEntry>(QStringLiteral("customDenylistEntries"));
    snapshot.isPaused = reader.requiredBool(QStringLiteral("isPaused"));
    snapshot.updatedAt = reader.requiredDate(QStringLiteral("updatedAt"));
    return snapshot;
}

} // namespace tovra
