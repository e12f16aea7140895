#include "core/records/TovraError.h"

namespace tovra {

TovraError::TovraError(QString description)
    : m_description(std::move(description))
    , m_utf8(m_description.toStdString())
{
}

} // namespace tovra
