#pragma once

#include <QString>

// The user's settings the model reads and writes. The keys are those earlier
// versions wrote, so a user's choices carry over.
namespace tovra::app::userDefaultsKeys {

inline const QString observationEnabled = QStringLiteral("tovra.v02.observationEnabled");
inline const QString obsidianCitationEnabled = QStringLiteral("tovra.v02.obsidianCitationEnabled");
inline const QString citationFormat = QStringLiteral("tovra.v04.dedicatedPasteCitationFormat");
// Read only: nothing in the app writes it.
inline const QString citationLinkMode = QStringLiteral("tovra.v04.dedicatedPasteCitationLinkMode");
inline const QString nativeHostExtensionID = QStringLiteral("tovra.v05b.nativeHostExtensionID");
// Written when the user was shown the explanation; nothing reads them.
inline const QString hasExplainedAccessibility = QStringLiteral("hasExplainedAccessibility");
inline const QString hasExplainedObservationPermissions
    = QStringLiteral("hasExplainedObservationPermissions");

} // namespace tovra::app::userDefaultsKeys
