#include "app/shell/ShellLog.h"

Q_LOGGING_CATEGORY(tovraShellLog, "tovra.shell", QtInfoMsg)
