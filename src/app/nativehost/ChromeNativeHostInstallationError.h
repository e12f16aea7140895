#pragma once

#include "core/records/TovraError.h"

#include <QString>

namespace tovra {

// Why the Chrome manifest could not be installed. The descriptions are shown
// to the user as they are.
class ChromeNativeHostInstallationError : public TovraError {
public:
    enum class Kind {
        invalidExtensionID,
        executableUnavailable,
        unsafeManifestPath,
        manifestVerificationFailed,
        // A folder or the manifest could not be created or written; carries
        // the errno of the failing call.
        manifestWriteFailed,
    };

    static ChromeNativeHostInstallationError invalidExtensionID();
    static ChromeNativeHostInstallationError executableUnavailable(const QString &path);
    static ChromeNativeHostInstallationError unsafeManifestPath(const QString &path);
    static ChromeNativeHostInstallationError manifestVerificationFailed(const QString &path);
    static ChromeNativeHostInstallationError manifestWriteFailed(const QString &path, int errorNumber);

    Kind kind() const noexcept { return m_kind; }
    const QString &path() const noexcept { return m_path; }
    // 0 unless the kind is manifestWriteFailed.
    int errorNumber() const noexcept { return m_errorNumber; }

private:
    ChromeNativeHostInstallationError(Kind kind, QString description, QString path, int errorNumber = 0);

    Kind m_kind;
    QString m_path;
    int m_errorNumber;
};

} // namespace tovra
