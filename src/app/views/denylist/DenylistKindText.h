#pragma once

#include "app/data/DenylistEntryKind.h"

#include <QString>

namespace tovra::app::views {

// The words and symbol of each kind of denylist rule, for the editor's
// picker and field and for its rows.
struct DenylistKindText {
    QString title;
    QString symbolName;
    QString placeholder;
    QString accessibilityHint;
};

DenylistKindText denylistKindText(DenylistEntryKind kind);

} // namespace tovra::app::views
