#pragma once

#include "platform/x11/X11Types.h"

#include <QList>
#include <QSet>

#include <chrono>
#include <functional>
#include <map>
#include <optional>

namespace tovra {

class X11Connection;

// The keyboard as the X server shows it to every client: the modifier map, the
// symbols of the keys, and (with XInput 2.2) raw key events from all devices,
// which arrive whoever has the focus or a grab and take nothing from anyone.
// Shared by the key observation, the paste poster and the hot keys.
class X11Keyboard {
public:
    // Modifier bits as in the core protocol's key state.
    enum Modifier : unsigned {
        shift = 1u << 0,
        lock = 1u << 1,
        control = 1u << 2,
        mod1 = 1u << 3,
        mod2 = 1u << 4,
        mod3 = 1u << 5,
        mod4 = 1u << 6,
        mod5 = 1u << 7,
    };

    struct RawKey {
        int keycode = 0;
        bool isPress = false;
        // A press of a key that was already down: the server's auto-repeat.
        bool isRepeat = false;
        // Sent through XTest (by this program or another), not typed.
        bool isSynthetic = false;
        // The modifiers held when the key went down or up, this key excluded.
        unsigned modifiers = 0;
    };
    using RawKeyListener = std::function<void(const RawKey &key)>;

    explicit X11Keyboard(X11Connection &connection);
    ~X11Keyboard();

    X11Keyboard(const X11Keyboard &) = delete;
    X11Keyboard &operator=(const X11Keyboard &) = delete;

    // Whether the server offers XInput 2.2 raw events.
    bool hasRawEvents() const noexcept { return m_xinputOpcode.has_value(); }

    // Raw key events go to every listener from the event loop while at least
    // one is subscribed. False when raw events are not available.
    std::optional<int> subscribe(RawKeyListener listener);
    void unsubscribe(int id);

    // The lower-case Latin symbol of a key in the first group, where an
    // application's Ctrl shortcuts look it up; 0 when it has none.
    unsigned long latinKeysym(int keycode) const;
    int keycodeOf(unsigned long keysym) const;

    // The modifier bit that the key with this symbol sets (Num_Lock), 0 if none.
    unsigned modifierOf(unsigned long keysym) const;

    // The modifiers whose keys are physically down now, asked of the server.
    unsigned heldModifiers() const;

    // Waits until none of `modifiers` is held, at most `timeout`; true when
    // they are all released.
    bool waitForRelease(unsigned modifiers, std::chrono::milliseconds timeout);

    // Called when the keyboard mapping changed, after ours was refreshed.
    void setMappingListener(std::function<void()> listener) { m_mappingListener = std::move(listener); }

private:
    void loadModifierMap();
    void select(bool rawEvents);
    void handleEvent(X11Event &event);
    unsigned modifiersOfPressedKeys() const;

    X11Connection &m_connection;
    std::optional<int> m_xinputOpcode;
    int m_syntheticKeyboard = -1;
    // The keycodes of each of the eight modifiers.
    QList<QList<int>> m_modifierKeys;
    QSet<int> m_pressed;
    std::map<int, RawKeyListener> m_listeners;
    int m_nextListenerId = 1;
    int m_eventListener = 0;
    std::function<void()> m_mappingListener;
};

} // namespace tovra
