#pragma once

#include <QtGlobal>

namespace tovra {

// A process identifier as the desktop reports it; 0 and negative values never
// name an application.
using ProcessIdentifier = qint32;

} // namespace tovra
