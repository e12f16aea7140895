#pragma once

#include "app/data/AppFeedbackScope.h"

#include <QString>
#include <QUuid>

namespace tovra::app {

// A message that an operation finished, or why it did nothing.
struct AppNotice {
    QUuid id;
    QString message;
    // The name of the symbol shown with the message.
    QString systemImage;
    AppFeedbackScope scope = AppFeedbackScope::general;

    bool operator==(const AppNotice &) const = default;
};

} // namespace tovra::app
