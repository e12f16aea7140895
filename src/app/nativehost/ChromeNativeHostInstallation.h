#pragma once

#include <QString>
#include <QUrl>

namespace tovra {

// The result of installing the manifest.
struct ChromeNativeHostInstallation {
    // Chrome's copy; Chromium's lies in its own folder.
    QUrl manifestURL;
    QString extensionID;
    QUrl executableURL;
    // The executable lies under a system or user install prefix, so the path
    // in the manifest will stay valid; false for a build tree or any other
    // place the program may be moved away from.
    bool isStableApplicationLocation = false;

    bool operator==(const ChromeNativeHostInstallation &) const = default;
};

} // namespace tovra
