#pragma once

#include "platform/Accessibility.h"

#include <QDBusConnection>
#include <QStringList>

namespace tovra {

class DesktopEntryIndex;

// Another application's focused field, read over the accessibility bus
// (AT-SPI). "Trusted" means the bus answers and accessibility is enabled on
// it, without which toolkits expose nothing; asking for trust enables it.
// Every question to the bus or to an application waits a bounded time.
class AtspiAccessibility final : public Accessibility {
public:
    static constexpr std::chrono::milliseconds defaultMessagingTimeout { 1000 };
    // At most this many elements are searched for the focused one, so that a
    // page with a huge tree cannot stall the paste.
    static constexpr int maximumSearchedElements = 4000;

    // The names of the running desktop, from XDG_CURRENT_DESKTOP.
    static QStringList currentDesktops();

    // `bus` is the session bus the accessibility bus is announced on;
    // `desktops` choose the accessibility settings page.
    AtspiAccessibility(DesktopEntryIndex &desktopEntries, QDBusConnection bus = QDBusConnection::sessionBus(),
        QStringList desktops = currentDesktops());
    ~AtspiAccessibility() override;

    AtspiAccessibility(const AtspiAccessibility &) = delete;
    AtspiAccessibility &operator=(const AtspiAccessibility &) = delete;

    bool isProcessTrusted() const override;
    bool requestTrustWithPrompt() override;
    FocusReading readFocus(ProcessIdentifier processIdentifier) const override;
    void setMessagingTimeout(std::chrono::milliseconds timeout) override;

    // The desktop's own accessibility settings, as the file of its installed
    // application entry (GNOME, KDE Plasma, Xfce, MATE, Cinnamon); none on
    // other desktops or when the entry is not installed.
    std::optional<QUrl> systemSettingsURL() const override;

private:
    bool ensureClientLibrary() const;

    DesktopEntryIndex &m_desktopEntries;
    QDBusConnection m_bus;
    QStringList m_desktops;
    std::chrono::milliseconds m_timeout = defaultMessagingTimeout;
    mutable bool m_clientLibraryReady = false;
};

} // namespace tovra
