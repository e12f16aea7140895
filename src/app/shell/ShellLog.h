#pragma once

#include <QLoggingCategory>

// Start, single instance, socket peers and quit. Information and above are
// written to stderr; QT_LOGGING_RULES="tovra.shell.debug=true" adds detail.
Q_DECLARE_LOGGING_CATEGORY(tovraShellLog)
