#pragma once

#include <QString>

#include <exception>

namespace tovra::app {

// What a failure banner says about an error caught from an operation: the
// error's own localized description, or for an error of a library outside
// this program, its message.
QString errorDescription(const std::exception_ptr &error);

} // namespace tovra::app
