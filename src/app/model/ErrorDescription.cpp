#include "app/model/ErrorDescription.h"

#include "app/data/UserFacingError.h"

namespace tovra::app {

QString errorDescription(const std::exception_ptr &error)
{
    return userFacingDescription(error);
}

} // namespace tovra::app
