#pragma once

namespace tovra {

// Qt's own messages (uncategorised ones such as QStandardPaths' complaint
// about XDG_RUNTIME_DIR, and those of Qt's categories) reach stderr as one
// line under the category tovra.qt, beside the app's own categories, so that
// whoever looks for "tovra" in the journal finds them too. The app's own
// messages pass unchanged. Installed once, first thing in the process.
void routeQtMessages();

} // namespace tovra
