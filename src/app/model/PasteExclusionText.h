#pragma once

#include "app/data/PasteExclusionReason.h"

#include <QString>

namespace tovra::app {

// Why a paste target is excluded, as the notices and failures say it.
QString pasteExclusionText(PasteExclusionReason reason);

} // namespace tovra::app
