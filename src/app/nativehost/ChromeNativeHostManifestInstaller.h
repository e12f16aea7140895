#pragma once

#include "app/nativehost/ChromeNativeHostManifestInstalling.h"

#include <QByteArray>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>

#include <memory>

namespace tovra {

// Writes "com.tovra.nativehost.json" into the per-user NativeMessagingHosts
// folders of Google Chrome ($XDG_CONFIG_HOME/google-chrome/..., by default
// ~/.config/google-chrome/...) and Chromium ($XDG_CONFIG_HOME/chromium/...),
// which never reads Chrome's folder. The browser folders are created when
// missing; they and the manifests must be real folders and files of this
// user, never symbolic links. Every step works on an open descriptor of the
// folder, so a link swapped in between the check and the write is not
// followed.
class ChromeNativeHostManifestInstaller final : public ChromeNativeHostManifestInstalling {
public:
    static constexpr const char *hostName = "com.tovra.nativehost";
    static constexpr const char *manifestFileName = "com.tovra.nativehost.json";
    static constexpr const char *description = "Tovra: records where copied browser text came from";

    // `executablePath` is the program the browsers will start; `environment` gives
    // HOME and XDG_CONFIG_HOME.
    ChromeNativeHostManifestInstaller(QString executablePath, QProcessEnvironment environment);

    // Bound to this process's executable and environment.
    static std::unique_ptr<ChromeNativeHostManifestInstaller> live();

    // All or nothing: every browser's folder and existing manifest is checked
    // before anything is written, and when a manifest still fails to be
    // written or read back, the manifests this call already replaced get
    // their previous content back (or are removed when there was none)
    // before the error is thrown. So a failure never leaves one browser
    // pointed at the new extension while the user is told it failed. The
    // installation describes Chrome's manifest.
    ChromeNativeHostInstallation install(const QString &extensionID) override;
    // Chrome's manifest first, then Chromium's: the first valid one that
    // starts this program.
    std::optional<QString> installedExtensionID() override;

    // Exactly 32 characters, each a lower-case letter from a to p.
    static bool isValidExtensionID(const QString &extensionID);
    // "chrome-extension://<id>/"
    static QString allowedOrigin(const QString &extensionID);
    // Chrome's per-user NativeMessagingHosts folder for this environment.
    static QString manifestFolder(const QProcessEnvironment &environment);
    // True under /usr, /usr/local, /opt or ~/.local, unless a folder on the
    // way up holds a CMakeCache.txt (a build tree).
    static bool isStableApplicationLocation(const QString &executablePath, const QString &homeDirectory);
    // The manifest's JSON object for an executable and extension.
    static QJsonObject manifestObject(const QString &executablePath, const QString &extensionID);

private:
    // The executable's canonical path; throws executableUnavailable.
    QString resolvedExecutable() const;

    QString m_executablePath;
    QProcessEnvironment m_environment;
};

} // namespace tovra
