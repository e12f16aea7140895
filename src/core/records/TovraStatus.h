#pragma once

#include "core/records/TovraJson.h"

#include <QJsonObject>

namespace tovra {

// What a status request reports about the ledger.
struct TovraStatus {
    bool paused = false;
    qint64 pendingSourceCount = 0;
    int ledgerVersion = 0;

    bool operator==(const TovraStatus &) const = default;
};

QJsonObject toJson(const TovraStatus &status);
template <> TovraStatus fromJson<TovraStatus>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
