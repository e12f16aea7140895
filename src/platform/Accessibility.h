#pragma once

#include "platform/ProcessIdentifier.h"

#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

namespace tovra {

// What the accessibility interface tells about the focused element of an
// application. Every text is absent when the application does not expose it.
struct FocusedElement {
    // Stable for as long as the same element keeps the focus, and different for
    // another element even if it looks the same (an object path, a handle).
    std::optional<QString> identifier;
    // The same for the window that holds the element. A window keeps its
    // identity when it changes its title (a page counting unread mail).
    std::optional<QString> windowIdentifier;
    std::optional<QString> windowTitle;
    std::optional<QString> role;
    std::optional<QString> label;
    // A password or other field whose text is hidden.
    bool isSecure = false;
    // Whether text can be typed into the element; absent when unknown.
    std::optional<bool> isEditable;

    friend bool operator==(const FocusedElement &, const FocusedElement &) = default;
};

// What an application tells of its keyboard focus when asked.
struct FocusReading {
    enum class Kind {
        // The focused element is `element`.
        known,
        // The application's windows have content, but nothing in them holds
        // the focus just now: another application is in front, or a keyboard grab is
        // in progress (toolkits take the grab for a loss of focus and drop
        // their focused state until it ends). Asking again later may tell.
        unknown,
        // The application describes no focus at all: it is not on the
        // accessibility bus, has no windows there, or its active window is
        // an empty shell (a browser that keeps its pages to itself). Asking
        // again tells no more. Such an application cannot tell a password
        // field from any other.
        notExposed,
    };

    Kind kind = Kind::notExposed;
    // Empty unless the kind is `known`.
    FocusedElement element;

    friend bool operator==(const FocusReading &, const FocusReading &) = default;
};

// The system's accessibility interface, through which another application's
// focused input field is read.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Whether this process may read other applications' elements.
    virtual bool isProcessTrusted() const = 0;

    // Asks the system to show the user its prompt for granting trust (where it
    // has one) and returns whether the process is trusted now.
    virtual bool requestTrustWithPrompt() = 0;

    // Where the application's keyboard focus is. An application that does
    // not answer within the messaging time-out exposes nothing. Asking may
    // make an application start describing content it kept to itself (a
    // browser's pages); until it has, for a short while, its focus reads as
    // unknown.
    virtual FocusReading readFocus(ProcessIdentifier processIdentifier) const = 0;

    // How long one question to another application may take before it counts
    // as unanswered; a hung application must not block the caller for long.
    virtual void setMessagingTimeout(std::chrono::milliseconds timeout) = 0;

    // Where the user grants the trust; none on systems without such a page.
    virtual std::optional<QUrl> systemSettingsURL() const = 0;
};

} // namespace tovra
