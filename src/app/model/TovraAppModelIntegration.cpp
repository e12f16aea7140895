#include "app/model/ErrorDescription.h"
#include "app/model/IntegrationSettings.h"
#include "app/model/TovraAppModel.h"
#include "app/model/UserDefaultsKeys.h"
#include "app/nativehost/ChromeNativeHostManifestInstalling.h"
#include "platform/Workspace.h"

#include <QSettings>

namespace tovra::app {

void TovraAppModel::setNativeHostExtensionID(const QString &extensionID)
{
    publish(&State::nativeHostExtensionID, extensionID, Field::nativeHostExtensionID);
}

bool TovraAppModel::nativeHostExtensionIDIsValid() const
{
    return isValidNativeHostExtensionID(m_state.nativeHostExtensionID);
}

void TovraAppModel::installChromeNativeHostManifest()
{
    publish(&State::nativeHostInstallationMessage, std::nullopt, Field::nativeHostInstallationMessage);
    publish(&State::nativeHostInstallationSucceeded, false, Field::nativeHostInstallationSucceeded);
    // An ID pasted from the browser's extensions page often brings a space or
    // line break along; the button already accepts it, so the install must too.
    const QString extensionID = m_state.nativeHostExtensionID.trimmed();
    ChromeNativeHostInstallation installation;
    try {
        installation = m_nativeHostManifestInstaller->install(extensionID);
    } catch (...) {
        publish(&State::nativeHostInstallationMessage, errorDescription(std::current_exception()),
            Field::nativeHostInstallationMessage);
        return;
    }
    setNativeHostExtensionID(installation.extensionID);
    userDefaults().setValue(userDefaultsKeys::nativeHostExtensionID, installation.extensionID);
    publish(&State::nativeHostInstallationSucceeded, true, Field::nativeHostInstallationSucceeded);
    publish(&State::nativeHostInstallationMessage,
        nativeHostInstalledMessage(installation.isStableApplicationLocation),
        Field::nativeHostInstallationMessage);
}

void TovraAppModel::setObsidianCitationEnabled(bool enabled)
{
    publish(&State::obsidianCitationEnabled, enabled, Field::obsidianCitationEnabled);
    userDefaults().setValue(userDefaultsKeys::obsidianCitationEnabled, enabled);
}

void TovraAppModel::setCitationFormat(CitationFormat format)
{
    publish(&State::citationFormat, format, Field::citationFormat);
    userDefaults().setValue(userDefaultsKeys::citationFormat, enumName(format));
}

QString TovraAppModel::citationPreview() const
{
    return app::citationPreview(m_state.citationFormat, m_state.citationLinkMode);
}

void TovraAppModel::upsertCommittedObsidianRecord(const ProvenanceRecord &record)
{
    putRecordInFront(record);
}

void TovraAppModel::updateObsidianResolverStatus(ResolverServerStatus status)
{
    ObsidianResolverStatus shown = ObsidianResolverStatus::inactive;
    switch (status) {
    case ResolverServerStatus::stopped:
        shown = ObsidianResolverStatus::inactive;
        break;
    case ResolverServerStatus::listening:
        shown = ObsidianResolverStatus::listening;
        break;
    case ResolverServerStatus::connected:
        shown = ObsidianResolverStatus::connected;
        break;
    case ResolverServerStatus::failed:
        shown = ObsidianResolverStatus::failed;
        break;
    }
    publish(&State::obsidianResolverStatus, shown, Field::obsidianResolverStatus);
}

void TovraAppModel::revealCurrentApplication()
{
    m_platform.workspace->revealFile(m_bundle.location);
}

QString TovraAppModel::appVersionDescription() const
{
    return app::appVersionDescription(m_bundle);
}

} // namespace tovra::app
