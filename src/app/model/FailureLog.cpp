#include "app/model/FailureLog.h"

#include "core/ledger/LedgerLog.h"

Q_LOGGING_CATEGORY(tovraPasteLog, "tovra.paste", QtInfoMsg)
Q_LOGGING_CATEGORY(tovraAppLog, "tovra.app", QtInfoMsg)

namespace tovra::app {

namespace {

using Category = const QLoggingCategory &(*)();

Category categoryOf(AppFeedbackScope scope)
{
    switch (scope) {
    case AppFeedbackScope::paste:
        return tovraPasteLog;
    case AppFeedbackScope::data:
    case AppFeedbackScope::records:
    case AppFeedbackScope::pause:
    case AppFeedbackScope::denylist:
        return tovraLedgerLog;
    case AppFeedbackScope::general:
    case AppFeedbackScope::shortcut:
    case AppFeedbackScope::permissions:
    case AppFeedbackScope::observation:
    case AppFeedbackScope::clipboard:
    case AppFeedbackScope::export_:
        break;
    }
    return tovraAppLog;
}

} // namespace

void logFailure(AppFeedbackScope scope, const QString &title, const QString &message)
{
    const Category category = categoryOf(scope);
    qCWarning(category).noquote() << title + QStringLiteral(": ")
            + QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace tovra::app
