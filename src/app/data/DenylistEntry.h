#pragma once

#include "app/data/DenylistEntryKind.h"

#include <QString>

namespace tovra::app {

// A denylist rule as the app lists it: a built-in protection (`isDefault`,
// which cannot be removed) or one the user added.
struct DenylistEntry {
    DenylistEntryKind kind = DenylistEntryKind::domain;
    QString pattern;
    bool isDefault = false;

    // The kind's raw value, ":" and the pattern in lower case: entries with
    // the same identifier are the same rule.
    QString id() const { return enumName(kind) + QLatin1Char(':') + pattern.toLower(); }

    bool operator==(const DenylistEntry &) const = default;
};

} // namespace tovra::app
