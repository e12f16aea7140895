#pragma once

#include "platform/Accessibility.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QHash>
#include <QStringList>

#include <functional>

namespace tovra {

class Clock;
class DesktopEntryIndex;

// Another application's focused field, read over the accessibility bus
// (AT-SPI). "Trusted" means the bus answers and accessibility is enabled on
// it, without which toolkits expose nothing; asking for trust enables it.
// Every question to the bus or to an application waits a bounded time.
//
// Chromium and every Electron application show only their windows until
// someone asks one of their objects for its attributes; then, within about
// half a second, their pages follow. An application seen without a focused
// element is asked once, and its focus reads as unknown for
// `contentWakeAllowance` after that, so that a caller polling for the focus
// waits for the page instead of taking the bare window for all there is.
class AtspiAccessibility final : public Accessibility {
public:
    static constexpr std::chrono::milliseconds defaultMessagingTimeout { 1000 };
    static constexpr std::chrono::milliseconds contentWakeAllowance { 1000 };
    // At most this many elements are searched for the focused one, so that a
    // page with a huge tree cannot stall the paste.
    static constexpr int maximumSearchedElements = 4000;

    // The names of the running desktop, from XDG_CURRENT_DESKTOP.
    static QStringList currentDesktops();

    // `bus` is the session bus the accessibility bus is announced on;
    // `desktops` choose the accessibility settings page; `clock` times the
    // wait for woken content.
    AtspiAccessibility(DesktopEntryIndex &desktopEntries, const Clock &clock,
        QDBusConnection bus = QDBusConnection::sessionBus(), QStringList desktops = currentDesktops());
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
    // Whether the application was asked to describe its content only a
    // moment ago; `wake` asks it, the first time it is seen without a focus.
    bool isWakingContent(const QString &applicationBusName, const std::function<void()> &wake) const;

    DesktopEntryIndex &m_desktopEntries;
    const Clock &m_clock;
    QDBusConnection m_bus;
    QStringList m_desktops;
    std::chrono::milliseconds m_timeout = defaultMessagingTimeout;
    mutable bool m_clientLibraryReady = false;
    // When each application (by its bus name, unique for its connection)
    // was asked to describe its content.
    mutable QHash<QString, QDateTime> m_wokenAt;
};

} // namespace tovra
