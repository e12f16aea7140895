#pragma once

#include "platform/InputMonitoring.h"

namespace tovra {

// The simulated Input Monitoring permission: a switch the test sets.
class SimulatedInputMonitoring final : public InputMonitoring {
public:
    bool isTrusted() const override { return m_trusted; }
    // Counts the request; it grants only after `setGrantsOnRequest(true)`.
    bool requestAccess() override;
    std::optional<QUrl> systemSettingsURL() const override { return m_systemSettingsURL; }

    void setTrusted(bool trusted) noexcept { m_trusted = trusted; }
    void setGrantsOnRequest(bool grants) noexcept { m_grantsOnRequest = grants; }
    void setSystemSettingsURL(std::optional<QUrl> url) { m_systemSettingsURL = std::move(url); }

    int requestCount() const noexcept { return m_requestCount; }

private:
    bool m_trusted = true;
    bool m_grantsOnRequest = false;
    int m_requestCount = 0;
    std::optional<QUrl> m_systemSettingsURL = QUrl(QStringLiteral("simulated-settings:input-monitoring"));
};

} // namespace tovra
