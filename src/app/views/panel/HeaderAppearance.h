#pragma once

#include "app/data/ObservationModeStatus.h"

#include <QColor>
#include <QString>

namespace tovra::app::views {

// What the main panel's header says about the app's state: a pause first,
// else the observation mode, and for a missing permission whether copies are
// still followed on the pasteboard.
struct HeaderAppearance {
    QString symbolName;
    QColor color;
    QString title;
    QString detail;

    bool operator==(const HeaderAppearance &) const = default;

    static HeaderAppearance of(bool isPaused, ObservationModeStatus status, bool isFollowingPasteboard);
};

} // namespace tovra::app::views
