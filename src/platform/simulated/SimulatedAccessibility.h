#pragma once

#include "platform/Accessibility.h"

namespace tovra {

class SimulatedWorkspace;

// The accessibility interface of the simulated desktop: a trust switch and
// the focused elements of the workspace's applications.
class SimulatedAccessibility final : public Accessibility {
public:
    explicit SimulatedAccessibility(const SimulatedWorkspace &workspace);

    bool isProcessTrusted() const override { return m_trusted; }
    // Counts the prompt; the user grants trust with it only after
    // `setGrantsTrustOnPrompt(true)`.
    bool requestTrustWithPrompt() override;
    // Nothing exposed without trust, for a terminated application, one that
    // does not expose accessibility, or one without a focused element; an
    // unknown focus while the application does not show it (Linux toolkits
    // behind another application's window or under a keyboard grab).
    FocusReading readFocus(ProcessIdentifier processIdentifier) const override;
    void setMessagingTimeout(std::chrono::milliseconds timeout) override { m_messagingTimeout = timeout; }
    std::optional<QUrl> systemSettingsURL() const override { return m_systemSettingsURL; }

    void setTrusted(bool trusted) noexcept { m_trusted = trusted; }
    void setGrantsTrustOnPrompt(bool grants) noexcept { m_grantsTrustOnPrompt = grants; }
    void setSystemSettingsURL(std::optional<QUrl> url) { m_systemSettingsURL = std::move(url); }

    int promptCount() const noexcept { return m_promptCount; }
    // None until someone sets it.
    std::optional<std::chrono::milliseconds> messagingTimeout() const noexcept { return m_messagingTimeout; }

private:
    const SimulatedWorkspace &m_workspace;
    bool m_trusted = true;
    bool m_grantsTrustOnPrompt = false;
    int m_promptCount = 0;
    std::optional<std::chrono::milliseconds> m_messagingTimeout;
    std::optional<QUrl> m_systemSettingsURL = QUrl(QStringLiteral("simulated-settings:accessibility"));
};

} // namespace tovra
