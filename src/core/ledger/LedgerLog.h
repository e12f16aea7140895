#pragma once

#include <QLoggingCategory>

// Failures of the ledger as the app or the browser host meets them. Warnings
// are written to stderr; QT_LOGGING_RULES="tovra.ledger.debug=true" adds detail.
Q_DECLARE_LOGGING_CATEGORY(tovraLedgerLog)
