#pragma once

#include <QString>

#include <exception>

namespace tovra::app {

// What the user reads of a failure. The app's own errors speak Chinese
// already; the core library's speak English for logs and the browser, so
// they are told by a Chinese sentence of their kind, followed by their own
// description, which keeps the path, the errno or the key store's message.
QString userFacingDescription(const std::exception_ptr &failure);

} // namespace tovra::app
