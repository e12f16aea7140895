#pragma once

#include "core/records/DestinationContext.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tovra::bench {

// A fixed instant plus `milliseconds`.
QDateTime benchInstant(qint64 milliseconds);

// Where the seeded pastes went.
DestinationContext benchDestination();

// Writes a ledger of `recordCount` traces (and as many pending sources, at
// most 500) in one go, as a long-used ledger would look, sealed with keys
// derived from `masterKey`.
void seedLedger(const QString &path, qint64 recordCount, const QByteArray &masterKey);

} // namespace tovra::bench
