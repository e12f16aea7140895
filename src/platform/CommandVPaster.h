#pragma once

#include "platform/DestinationSnapshot.h"
#include "platform/InspectedDestination.h"
#include "platform/PasteboardContentExpectation.h"

#include <QCoroTask>

#include <chrono>
#include <optional>

namespace tovra {

class DestinationContextInspector;
class KeyEventPoster;
class Pasteboard;

// Brings the paste target forward, makes sure the focus is still where the
// user left it, and sends the paste shortcut. Every step re-checks the target,
// so a paste never lands in a window or field the user did not mean.
class CommandVPaster {
public:
    // After asking the target to come forward, the first check waits this long,
    // then the checks repeat at this interval this many more times.
    static constexpr std::chrono::milliseconds firstConfirmationDelay { 140 };
    static constexpr std::chrono::milliseconds confirmationInterval { 60 };
    static constexpr int additionalConfirmationAttempts = 9;
    // A target that came forward but does not tell its focus yet may still be
    // building the description of its page: the checks go on this much
    // longer, at the same interval, for it alone.
    static constexpr int unknownFocusAttempts = 9;

    // Uses the inspector's workspace, accessibility interface and clock. All
    // four objects must outlive the paster and its running tasks.
    CommandVPaster(
        DestinationContextInspector &inspector, Pasteboard &pasteboard, KeyEventPoster &keyEventPoster);

    // Activates the target's application and waits until it is frontmost and
    // its freshly inspected focus matches `target` (any known focus when the
    // target's was unknown); returns that inspection. Throws
    // SystemIntegrationError: accessibilityPermissionMissing without trust;
    // targetApplicationUnavailable when the application is gone or never comes
    // forward; targetChanged when it came forward with the focus elsewhere;
    // targetFocusUnknown when it came forward without ever telling where its
    // focus is.
    QCoro::Task<InspectedDestination> activateAndConfirm(InspectedDestination target) const;

    // Checks that the target is still frontmost with the focus where `stable`
    // found it (an unknown focus is not that place); returns the fresh
    // inspection. Throws SystemIntegrationError:
    // accessibilityPermissionMissing or targetChanged.
    InspectedDestination reconfirm(const InspectedDestination &stable) const;

    // Waits for the user to let go of the modifier keys, then reconfirms the
    // target, checks the expectation against the pasteboard (not read at all
    // without one) and posts the target application's paste shortcut once:
    // the last look at the target is the one right before the keys. Returns
    // where the paste went. Throws SystemIntegrationError: those of
    // `reconfirm`, clipboardChanged, pasteShortcutUnknown when no key of the
    // application pastes the clipboard, eventCreationFailed (also while a
    // modifier is still held when the poster gives up waiting).
    DestinationSnapshot postPaste(const InspectedDestination &into,
        const std::optional<PasteboardContentExpectation> &expectedPasteboard) const;

private:
    DestinationContextInspector &m_inspector;
    Pasteboard &m_pasteboard;
    KeyEventPoster &m_keyEventPoster;
};

} // namespace tovra
