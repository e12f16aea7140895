#pragma once

#include "app/data/AppFeedbackScope.h"
#include "app/data/AppRecoveryAction.h"

#include <QString>
#include <QUuid>

namespace tovra::app {

// An operation that failed, with the action its retry button runs.
struct AppFailure {
    QUuid id;
    QString title;
    QString message;
    AppFeedbackScope scope;
    AppRecoveryAction recovery;

    bool operator==(const AppFailure &) const = default;
};

} // namespace tovra::app
