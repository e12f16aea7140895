#pragma once

#include "core/citations/CitationFormat.h"
#include "platform/ApplicationBundle.h"

#include <QString>
#include <QVariant>

namespace tovra::app {

// The browser extension's ID as Chrome shows it: 32 letters from a to p.
// White space around a pasted ID does not count against it.
bool isValidNativeHostExtensionID(const QString &extensionID);

// The stored citation settings; anything but an exact, known name gives the
// default (inline, web link when available).
CitationFormat storedCitationFormat(const QVariant &stored);
CitationLinkMode storedCitationLinkMode(const QVariant &stored);

// A fixed sample citation in the given format and link mode, rendered by the
// same renderer as a real paste.
QString citationPreview(CitationFormat format, CitationLinkMode linkMode);

// "<version>（build <build>）· v0.5B 公测准备", with fixed values where the
// build did not say.
QString appVersionDescription(const ApplicationBundle &bundle);

// What the settings say after the manifest was installed: where the program
// lies decides whether the path in the manifest will stay valid.
QString nativeHostInstalledMessage(bool isStableApplicationLocation);

} // namespace tovra::app
