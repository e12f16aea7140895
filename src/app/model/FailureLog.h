#pragma once

#include "app/data/AppFeedbackScope.h"

#include <QLoggingCategory>

// Failures of pastes; the app's other failures are under "tovra.app", those
// of the ledger under "tovra.ledger".
Q_DECLARE_LOGGING_CATEGORY(tovraPasteLog)
Q_DECLARE_LOGGING_CATEGORY(tovraAppLog)

namespace tovra::app {

// Writes a failure the app shows as one line on stderr, in the category of
// its scope. Title and message are the texts the user reads, which never
// hold clipboard content, addresses or window titles.
void logFailure(AppFeedbackScope scope, const QString &title, const QString &message);

} // namespace tovra::app
