#include "app/model/ObservationDecision.h"

namespace tovra::app {

ObservationDecision decideObservation(
    bool observationEnabled, bool isPaused, bool accessibilityIsTrusted, bool inputMonitoringIsTrusted)
{
    if (!observationEnabled || isPaused)
        return { false, false, true, ObservationModeStatus::dedicated };
    if (!accessibilityIsTrusted)
        return { false, false, true, ObservationModeStatus::permissionRequired };
    if (!inputMonitoringIsTrusted)
        return { false, true, false, ObservationModeStatus::permissionRequired };
    return { true, true, false, ObservationModeStatus::observing };
}

QString observationStatusTitle(ObservationModeStatus status)
{
    switch (status) {
    case ObservationModeStatus::dedicated:
        return QStringLiteral("专用模式");
    case ObservationModeStatus::observing:
        return QStringLiteral("观察模式");
    case ObservationModeStatus::permissionRequired:
        return QStringLiteral("观察权限待授权");
    case ObservationModeStatus::unavailable:
        return QStringLiteral("观察模式不可用");
    }
    Q_UNREACHABLE();
    return QString();
}

QString observationStatusSymbol(ObservationModeStatus status)
{
    switch (status) {
    case ObservationModeStatus::dedicated:
        return QStringLiteral("cursorarrow.click");
    case ObservationModeStatus::observing:
        return QStringLiteral("eye");
    case ObservationModeStatus::permissionRequired:
        return QStringLiteral("exclamationmark.shield");
    case ObservationModeStatus::unavailable:
        return QStringLiteral("eye.slash");
    }
    Q_UNREACHABLE();
    return QString();
}

} // namespace tovra::app
