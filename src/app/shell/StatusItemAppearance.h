#pragma once

#include "app/data/ObservationModeStatus.h"

#include <QString>

namespace tovra::app {

// What the tray icon shows for the pause flag and the observation mode: the
// symbol, and the label used as its tool tip and accessible name.
struct StatusItemAppearance {
    QString symbolName;
    QString label;

    bool operator==(const StatusItemAppearance &) const = default;

    // A pause shows whatever the mode.
    static StatusItemAppearance of(bool isPaused, ObservationModeStatus status);
};

} // namespace tovra::app
