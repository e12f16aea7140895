#pragma once

#include "platform/HotKeyRegistrar.h"
#include "platform/x11/X11Types.h"

#include <QList>

namespace tovra {

class X11Connection;
class X11Keyboard;

// Hot keys as passive grabs on the root window (XGrabKey), each also under
// CapsLock and NumLock so that a lit lock does not disable it. A press is
// reported when its key is released, once the grab has let the keyboard go. A combination
// another client holds makes the server answer BadAccess, which comes back as
// the status code.
class X11HotKeyRegistrar final : public HotKeyRegistrar {
public:
    // Our own status codes, beside the X error codes (BadAccess is 10).
    static constexpr qint32 noDisplayStatus = -1;
    static constexpr qint32 unsupportedKeyStatus = -2;

    X11HotKeyRegistrar(X11Connection &connection, X11Keyboard &keyboard);
    ~X11HotKeyRegistrar() override;

    X11HotKeyRegistrar(const X11HotKeyRegistrar &) = delete;
    X11HotKeyRegistrar &operator=(const X11HotKeyRegistrar &) = delete;

    qint32 installHandler(Handler handler) override;
    void removeHandler() override;
    qint32 registerHotKey(QKeyCombination keys, quint32 signature, quint32 identifier) override;
    void unregisterHotKey(quint32 signature, quint32 identifier) override;

private:
    struct Registration {
        QKeyCombination keys;
        quint32 signature = 0;
        quint32 identifier = 0;
        int keycode = 0;
        unsigned modifiers = 0;
        bool held = false;
    };

    qint32 grab(Registration &registration);
    void ungrab(const Registration &registration);
    QList<unsigned> lockVariants() const;
    void handleEvent(const X11Event &event);
    void regrabAll();

    X11Connection &m_connection;
    X11Keyboard &m_keyboard;
    Handler m_handler;
    QList<Registration> m_registrations;
    int m_listener = 0;
};

} // namespace tovra
