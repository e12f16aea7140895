#pragma once

#include <QString>

#include <exception>

namespace tovra::app {

// What a failure banner says about an error caught from an operation: in
// Chinese, with the technical detail after it (see userFacingDescription).
QString errorDescription(const std::exception_ptr &error);

} // namespace tovra::app
