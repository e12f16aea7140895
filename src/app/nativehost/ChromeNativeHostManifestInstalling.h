#pragma once

#include "app/nativehost/ChromeNativeHostInstallation.h"

#include <QString>

#include <optional>

namespace tovra {

// Installs the manifest that lets Chrome and Chromium start this program as
// the native host of one extension.
class ChromeNativeHostManifestInstalling {
public:
    virtual ~ChromeNativeHostManifestInstalling() = default;

    // Validates the ID as given (nothing is trimmed), writes the manifest for
    // every browser and reads it back. Throws ChromeNativeHostInstallationError.
    virtual ChromeNativeHostInstallation install(const QString &extensionID) = 0;

    // The extension ID of an installed manifest that is valid and starts this
    // program; none otherwise. Never throws.
    virtual std::optional<QString> installedExtensionID() = 0;
};

} // namespace tovra
