#pragma once

#include <QString>

#include <exception>

namespace tovra::app {

// What the user reads of a failure, wholly in Chinese. The app's own errors
// speak Chinese already; the core library's speak English for logs and the
// browser, so they are told by a Chinese sentence of their kind, followed
// only by the file's path and the errno where there are some. Their English
// description, with the key store's own message, goes to the log line
// (category "tovra.data").
QString userFacingDescription(const std::exception_ptr &failure);

} // namespace tovra::app
