#pragma once

#include "core/records/TovraError.h"

#include <QtGlobal>

#include <optional>

namespace tovra {

// A failure of the desktop integration: permissions, the paste target, the
// pasteboard, key events and the hot key. Its description is shown to the user.
class SystemIntegrationError : public TovraError {
public:
    enum class Kind {
        accessibilityPermissionMissing,
        inputMonitoringPermissionMissing,
        noTargetApplication,
        targetApplicationUnavailable,
        targetChanged,
        targetFocusUnknown,
        clipboardChanged,
        eventCreationFailed,
        pasteShortcutUnknown,
        eventTapCreationFailed,
        hotKeyHandlerInstallationFailed,
        hotKeyRegistrationFailed,
    };

    // For every kind but the two hot-key failures, which carry a status code.
    explicit SystemIntegrationError(Kind kind);

    static SystemIntegrationError hotKeyHandlerInstallationFailed(qint32 status);
    static SystemIntegrationError hotKeyRegistrationFailed(qint32 status);

    Kind kind() const noexcept { return m_kind; }
    // The system's status code of a hot-key failure.
    std::optional<qint32> status() const noexcept { return m_status; }

private:
    SystemIntegrationError(Kind kind, std::optional<qint32> status);

    Kind m_kind;
    std::optional<qint32> m_status;
};

} // namespace tovra
