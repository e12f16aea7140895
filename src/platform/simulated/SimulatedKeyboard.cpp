#include "platform/simulated/SimulatedKeyboard.h"

#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedPasteboard.h"
#include "platform/simulated/SimulatedWorkspace.h"

#include <utility>

namespace tovra {

namespace {

QKeyCombination keysOf(ClipboardCommandKind kind)
{
    switch (kind) {
    case ClipboardCommandKind::copy:
        return SimulatedKeyboard::copyKeys;
    case ClipboardCommandKind::cut:
        return SimulatedKeyboard::cutKeys;
    case ClipboardCommandKind::paste:
        return SimulatedKeyboard::pasteKeys;
    }
    Q_UNREACHABLE();
}

} // namespace

SimulatedKeyboard::SimulatedKeyboard(
    SimulatedWorkspace &workspace, SimulatedPasteboard &pasteboard, SimulatedClock &clock)
    : m_workspace(workspace)
    , m_pasteboard(pasteboard)
    , m_clock(clock)
{
}

bool SimulatedKeyboard::install(Callback callback)
{
    if (m_observationFails)
        return false;
    m_callback = std::move(callback);
    return true;
}

void SimulatedKeyboard::remove()
{
    m_callback = nullptr;
}

bool SimulatedKeyboard::waitForModifierRelease()
{
    if (const std::function<void()> action = std::exchange(m_whileModifiersHeld, nullptr))
        action();
    return !m_modifiersStayHeld;
}

bool SimulatedKeyboard::postPasteShortcut(PasteShortcut shortcut)
{
    if (m_eventCreationFails || m_modifiersStayHeld)
        return false;
    if (shortcut == PasteShortcut::unknown)
        return false;
    const QKeyCombination keys = shortcut == PasteShortcut::terminal ? terminalPasteKeys : pasteKeys;
    // Our own events carry their mark, so the observation never reports them.
    record(keys, m_workspace.frontmostProcessIdentifier(), true);
    deliverPaste(keys);
    return true;
}

void SimulatedKeyboard::pressClipboardShortcut(ClipboardCommandKind kind)
{
    pressClipboardShortcut(kind, m_workspace.frontmostProcessIdentifier());
}

void SimulatedKeyboard::pressClipboardShortcut(
    ClipboardCommandKind kind, std::optional<ProcessIdentifier> target)
{
    record(keysOf(kind), m_workspace.frontmostProcessIdentifier(), false);
    if (m_callback) {
        // A copy: the callback may remove the observation.
        const Callback callback = m_callback;
        callback(ClipboardCommandEvent { kind, target, m_clock.now() });
    }
    if (kind == ClipboardCommandKind::paste)
        deliverPaste(pasteKeys);
}

QList<SimulatedKeyEvent> SimulatedKeyboard::ownEvents() const
{
    QList<SimulatedKeyEvent> own;
    for (const SimulatedKeyEvent &event : m_events) {
        if (event.isOwn)
            own.append(event);
    }
    return own;
}

void SimulatedKeyboard::record(QKeyCombination keys, std::optional<ProcessIdentifier> target, bool isOwn)
{
    m_events.append(SimulatedKeyEvent { keys, true, target, isOwn, m_clock.now() });
    m_events.append(SimulatedKeyEvent { keys, false, target, isOwn, m_clock.now() });
}

void SimulatedKeyboard::deliverPaste(QKeyCombination keys)
{
    const auto frontmost = m_workspace.frontmostProcessIdentifier();
    if (!frontmost)
        return;
    SimulatedApplication &application = m_workspace.application(*frontmost);
    if (keys != (application.isTerminalEmulator ? terminalPasteKeys : pasteKeys))
        return;
    SimulatedElement *element = application.focused();
    if (!element || element->isEditable == false)
        return;
    if (const auto text = m_pasteboard.string())
        element->text += *text;
    else if (const auto image = m_pasteboard.imageData())
        element->images.append(image->data);
}

} // namespace tovra
