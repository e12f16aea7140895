#include "app/shell/StatusItemAppearance.h"

#include "app/model/ObservationDecision.h"

namespace tovra::app {

StatusItemAppearance StatusItemAppearance::of(bool isPaused, ObservationModeStatus status)
{
    if (isPaused)
        return { QStringLiteral("link.badge.minus"), QStringLiteral("Tovra已暂停") };
    return { observationStatusSymbol(status), QStringLiteral("Tovra：") + observationStatusTitle(status) };
}

} // namespace tovra::app
