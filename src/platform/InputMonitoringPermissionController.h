#pragma once

namespace tovra {

class InputMonitoring;
class Workspace;

// Checks and requests the permission to observe the keyboard and opens the
// page where the user grants it. Holds no state of its own.
class InputMonitoringPermissionController {
public:
    InputMonitoringPermissionController(InputMonitoring &inputMonitoring, Workspace &workspace);

    bool isTrusted() const;

    // Returns whether the permission is granted now.
    bool requestAccess() const;

    // Whether this desktop has a page where the user grants the permission.
    bool hasSystemSettingsPage() const;

    // Opens the system settings page of the permission; does nothing where the
    // system has none.
    void openSystemSettings() const;

private:
    InputMonitoring &m_inputMonitoring;
    Workspace &m_workspace;
};

} // namespace tovra
