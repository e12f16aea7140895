#pragma once

#include "core/records/DenylistEntry.h"
#include "core/records/PendingSource.h"
#include "core/records/TovraJson.h"
#include "core/records/TraceRecord.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>

namespace tovra {

// The persisted root of the ledger. Older layouts are migrated to the current
// one before decoding, so `fromJson` reads the current version only.
struct LedgerSnapshot {
    static constexpr int currentVersion = 1;
    static constexpr int oldestSupportedVersion = 1;

    int version = currentVersion;
    QList<PendingSource> pendingSources;
    QList<TraceRecord> traceRecords;
    QList<DenylistEntry> customDenylistEntries;
    bool isPaused = false;
    QDateTime updatedAt;

    static constexpr bool isSupportedVersion(int version)
    {
        return version >= oldestSupportedVersion && version <= currentVersion;
    }
    static constexpr bool needsMigration(int version) { return version < currentVersion; }

    // The "version" of an encoded snapshot, read without decoding the rest, so
    // that a migration can be chosen. Throws TovraJsonError when it is missing
    // or not a whole number.
    static int versionOf(const QJsonObject &object);

    bool operator==(const LedgerSnapshot &) const = default;
};

QJsonObject toJson(const LedgerSnapshot &snapshot);
// Throws TovraJsonError (invalidValue at "version") unless the version is the
// current one.
template <> LedgerSnapshot fromJson<LedgerSnapshot>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
