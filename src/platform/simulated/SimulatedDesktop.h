#pragma once

#include "platform/ApplicationActivity.h"
#include "platform/PlatformServices.h"
#include "platform/simulated/SimulatedAccessibility.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedHotKeyRegistrar.h"
#include "platform/simulated/SimulatedInputMonitoring.h"
#include "platform/simulated/SimulatedKeyboard.h"
#include "platform/simulated/SimulatedPasteboard.h"
#include "platform/simulated/SimulatedWorkspace.h"

#include <QByteArray>
#include <QString>

#include <chrono>

namespace tovra {

// A whole desktop in one process, for tests and demos: applications with
// focused fields, a pasteboard, a keyboard, hot keys, permission switches and
// a clock that moves only when stepped. Scripts read like what a user does:
//
//     const auto browser = desktop.launch("Browser", "org.example.Browser");
//     const auto notes = desktop.launch("Obsidian", "md.obsidian");
//     desktop.copyText(browser, "quote");
//     desktop.switchTo(notes);
//     desktop.pressHotKey();
//
// This program itself appears as an application with `ownProcessIdentifier()`,
// not in front at the start. Both permissions are granted at the start.
class SimulatedDesktop {
public:
    static constexpr ProcessIdentifier defaultOwnProcessIdentifier = 100;
    static inline const QString ownApplicationName = QStringLiteral("Tovra");
    static inline const QString ownBundleIdentifier = QStringLiteral("app.tovra.Tovra");

    explicit SimulatedDesktop(ProcessIdentifier ownProcessIdentifier = defaultOwnProcessIdentifier);

    SimulatedDesktop(const SimulatedDesktop &) = delete;
    SimulatedDesktop &operator=(const SimulatedDesktop &) = delete;

    // Every service of this desktop, for building the app over it.
    PlatformServices services();

    ProcessIdentifier ownProcessIdentifier() const noexcept { return m_ownProcessIdentifier; }
    SimulatedClock &clock() noexcept { return m_clock; }
    SimulatedPasteboard &pasteboard() noexcept { return m_pasteboard; }
    SimulatedWorkspace &workspace() noexcept { return m_workspace; }
    SimulatedAccessibility &accessibility() noexcept { return m_accessibility; }
    SimulatedInputMonitoring &inputMonitoring() noexcept { return m_inputMonitoring; }
    SimulatedKeyboard &keyboard() noexcept { return m_keyboard; }
    SimulatedHotKeyRegistrar &hotKeys() noexcept { return m_hotKeys; }
    ApplicationActivity &applicationActivity() noexcept { return m_applicationActivity; }

    // See SimulatedWorkspace::launch.
    ProcessIdentifier launch(const QString &name, const std::optional<QString> &bundleIdentifier,
        QList<SimulatedElement> elements = {});

    // The user brings the application to the front; bringing this program
    // itself forward makes it the active application.
    void switchTo(ProcessIdentifier processIdentifier);

    // The user, in that application (brought to the front first), presses the
    // copy shortcut and the application puts the text or image on the
    // pasteboard.
    void copyText(ProcessIdentifier processIdentifier, const QString &text);
    void copyImage(ProcessIdentifier processIdentifier, const QByteArray &data, const QString &type);

    // The user, in that application (brought to the front first), presses the
    // paste shortcut.
    void pasteByUser(ProcessIdentifier processIdentifier);

    // The user presses Option (Alt) + Shift + V. True when a registered hot key
    // took the press.
    bool pressHotKey();

    // What arrived through pastes in the application's focused element; empty
    // when nothing has the focus.
    QString focusedText(ProcessIdentifier processIdentifier) const;

    void advance(std::chrono::milliseconds duration) { m_clock.advance(duration); }

private:
    ProcessIdentifier m_ownProcessIdentifier;
    SimulatedClock m_clock;
    SimulatedPasteboard m_pasteboard;
    SimulatedWorkspace m_workspace;
    SimulatedAccessibility m_accessibility;
    SimulatedInputMonitoring m_inputMonitoring;
    SimulatedKeyboard m_keyboard;
    SimulatedHotKeyRegistrar m_hotKeys;
    ApplicationActivity m_applicationActivity;
};

} // namespace tovra
