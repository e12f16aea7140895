#pragma once

namespace tovra {

class Accessibility;
class Workspace;

// Checks and requests the accessibility trust and opens the page where the
// user grants it. Holds no state of its own.
class AccessibilityPermissionController {
public:
    AccessibilityPermissionController(Accessibility &accessibility, Workspace &workspace);

    bool isTrusted() const;

    // Shows the system's prompt where there is one; returns whether trusted now.
    bool requestTrustWithPrompt() const;

    // Whether this desktop has a page where the user grants the permission.
    bool hasSystemSettingsPage() const;

    // Opens the system settings page of the permission; does nothing where the
    // system has none.
    void openSystemSettings() const;

private:
    Accessibility &m_accessibility;
    Workspace &m_workspace;
};

} // namespace tovra
