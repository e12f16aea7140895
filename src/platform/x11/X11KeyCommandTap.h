#pragma once

#include "platform/KeyCommandTap.h"

#include <optional>

namespace tovra {

class Clock;
class X11Keyboard;
class X11Windows;

// Copy, cut and paste shortcuts (Ctrl+C, Ctrl+X, Ctrl+V, no other modifier)
// seen in the raw key events of the whole desktop. Raw events are copies: the
// focused application gets its keys as always. The target is the process of
// the window that has the keyboard focus.
class X11KeyCommandTap final : public KeyCommandTap {
public:
    X11KeyCommandTap(X11Keyboard &keyboard, X11Windows &windows, Clock &clock);
    ~X11KeyCommandTap() override;

    X11KeyCommandTap(const X11KeyCommandTap &) = delete;
    X11KeyCommandTap &operator=(const X11KeyCommandTap &) = delete;

    bool install(Callback callback) override;
    void remove() override;

    // The next paste shortcut that arrives through XTest is the one this
    // program is about to post; it is not reported.
    void expectOwnPaste();

private:
    X11Keyboard &m_keyboard;
    X11Windows &m_windows;
    Clock &m_clock;
    Callback m_callback;
    std::optional<int> m_subscription;
    int m_ownPastesExpected = 0;
};

} // namespace tovra
