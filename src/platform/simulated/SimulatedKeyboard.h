#pragma once

#include "platform/KeyCommandTap.h"
#include "platform/KeyEventPoster.h"
#include "platform/ProcessIdentifier.h"

#include <QDateTime>
#include <QKeyCombination>
#include <QList>

#include <functional>

#include <optional>

namespace tovra {

class SimulatedClock;
class SimulatedPasteboard;
class SimulatedWorkspace;

// One key event on the simulated desktop.
struct SimulatedKeyEvent {
    QKeyCombination keys;
    bool isKeyDown = true;
    // The application the event went to.
    std::optional<ProcessIdentifier> target;
    // Posted by this program rather than typed by the user.
    bool isOwn = false;
    QDateTime occurredAt;

    friend bool operator==(const SimulatedKeyEvent &, const SimulatedKeyEvent &) = default;
};

// The keyboard of the simulated desktop: the user's copy, cut and paste
// shortcuts, this program's posted paste, the listen-only observation of the
// user's shortcuts, and a log of every key event.
//
// A paste, typed or posted, puts the pasteboard's text (or else its image)
// into the focused element of the frontmost application, when that element is
// editable and the keys are the application's paste shortcut.
class SimulatedKeyboard final : public KeyCommandTap, public KeyEventPoster {
public:
    static constexpr QKeyCombination copyKeys { Qt::ControlModifier, Qt::Key_C };
    static constexpr QKeyCombination cutKeys { Qt::ControlModifier, Qt::Key_X };
    static constexpr QKeyCombination pasteKeys { Qt::ControlModifier, Qt::Key_V };
    static constexpr QKeyCombination terminalPasteKeys { Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_V };

    SimulatedKeyboard(SimulatedWorkspace &workspace, SimulatedPasteboard &pasteboard, SimulatedClock &clock);

    bool install(Callback callback) override;
    void remove() override;
    bool waitForModifierRelease() override;
    bool postPasteShortcut(PasteShortcut shortcut) override;

    // What the user does while this program waits for the hot key's
    // modifiers to be let go, once, at the next wait; and whether they are
    // still held when the wait gives up.
    void whileModifiersAreHeld(std::function<void()> action) { m_whileModifiersHeld = std::move(action); }
    void setModifiersStayHeld(bool held) noexcept { m_modifiersStayHeld = held; }

    // The user presses the shortcut in the frontmost application. The
    // observation reports `target` as the event's process, by default the
    // frontmost one. A paste also delivers the pasteboard's content; a copy or
    // cut changes only the log (the caller puts the content on the pasteboard).
    void pressClipboardShortcut(ClipboardCommandKind kind);
    void pressClipboardShortcut(ClipboardCommandKind kind, std::optional<ProcessIdentifier> target);

    void setObservationFails(bool fails) noexcept { m_observationFails = fails; }
    void setEventCreationFails(bool fails) noexcept { m_eventCreationFails = fails; }

    bool isObserving() const noexcept { return bool(m_callback); }
    const QList<SimulatedKeyEvent> &events() const noexcept { return m_events; }
    // The key events this program posted.
    QList<SimulatedKeyEvent> ownEvents() const;

private:
    void record(QKeyCombination keys, std::optional<ProcessIdentifier> target, bool isOwn);
    void deliverPaste(QKeyCombination keys);

    SimulatedWorkspace &m_workspace;
    SimulatedPasteboard &m_pasteboard;
    SimulatedClock &m_clock;
    Callback m_callback;
    bool m_observationFails = false;
    bool m_eventCreationFails = false;
    bool m_modifiersStayHeld = false;
    std::function<void()> m_whileModifiersHeld;
    QList<SimulatedKeyEvent> m_events;
};

} // namespace tovra
