#pragma once

#include <QString>

namespace tovra::app {

// The application content was copied in, as it is handed to the ledger.
struct ApplicationSnapshot {
    QString name;
    QString bundleIdentifier;
    qint32 processIdentifier = 0;

    bool operator==(const ApplicationSnapshot &) const = default;
};

} // namespace tovra::app
