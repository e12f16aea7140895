#include "core/ledger/LedgerLog.h"

Q_LOGGING_CATEGORY(tovraLedgerLog, "tovra.ledger", QtInfoMsg)
