#pragma once

#include <QUrl>

namespace tovra::app {

// "tovra://open" (any letter case, whatever path, query or fragment follow)
// shows the main window; every other link goes to the model, which decides
// what it means.
bool isOpenMainWindowLink(const QUrl &url);

} // namespace tovra::app
