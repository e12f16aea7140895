#include "platform/x11/X11HotKeyRegistrar.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace tovra {

namespace {

unsigned long keysymOf(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return XK_a + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return XK_0 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return XK_F1 + (key - Qt::Key_F1);
    if (key == Qt::Key_Space)
        return XK_space;
    return NoSymbol;
}

std::optional<unsigned> modifiersOf(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    unsigned mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        mask |= ControlMask;
    if (modifiers & Qt::AltModifier)
        mask |= Mod1Mask;
    if (modifiers & Qt::MetaModifier)
        mask |= Mod4Mask;
    return mask;
}

} // namespace

X11HotKeyRegistrar::X11HotKeyRegistrar(X11Connection &connection, X11Keyboard &keyboard)
    : m_connection(connection)
    , m_keyboard(keyboard)
{
    if (!m_connection.isUsable())
        return;
    // Holding the keys makes the server repeat the press; with detectable
    // auto-repeat no release comes between, so one press stays one press.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(m_connection.display(), True, &supported);
    m_listener = m_connection.addEventListener([this](XEvent &event) { handleEvent(event); });
    m_keyboard.setMappingListener([this] { regrabAll(); });
}

X11HotKeyRegistrar::~X11HotKeyRegistrar()
{
    m_keyboard.setMappingListener({});
    m_connection.removeEventListener(m_listener);
    for (const Registration &registration : std::as_const(m_registrations))
        ungrab(registration);
}

qint32 X11HotKeyRegistrar::installHandler(Handler handler)
{
    if (!m_connection.isUsable())
        return noDisplayStatus;
    m_handler = std::move(handler);
    return 0;
}

void X11HotKeyRegistrar::removeHandler()
{
    m_handler = nullptr;
}

QList<unsigned> X11HotKeyRegistrar::lockVariants() const
{
    const unsigned numLock = m_keyboard.modifierOf(XK_Num_Lock);
    QList<unsigned> variants { 0, LockMask };
    if (numLock != 0 && numLock != LockMask) {
        variants.append(numLock);
        variants.append(numLock | LockMask);
    }
    return variants;
}

qint32 X11HotKeyRegistrar::grab(Registration &registration)
{
    Display *display = m_connection.display();
    const auto modifiers = modifiersOf(registration.keys.keyboardModifiers());
    const unsigned long keysym = keysymOf(registration.keys.key());
    registration.keycode = keysym == NoSymbol ? 0 : m_keyboard.keycodeOf(keysym);
    if (!modifiers || registration.keycode == 0)
        return unsupportedKeyStatus;
    registration.modifiers = *modifiers;
    X11ErrorTrap trap(m_connection);
    for (const unsigned lock : lockVariants())
        XGrabKey(display, registration.keycode, registration.modifiers | lock, m_connection.rootWindow(),
            False, GrabModeAsync, GrabModeAsync);
    const int error = trap.sync();
    if (error != 0) {
        // Another client holds the combination, maybe under only one of the
        // lock variants; the ones we did get go back.
        ungrab(registration);
        return error;
    }
    return 0;
}

void X11HotKeyRegistrar::ungrab(const Registration &registration)
{
    if (!m_connection.isUsable() || registration.keycode == 0)
        return;
    X11ErrorTrap trap(m_connection);
    for (const unsigned lock : lockVariants())
        XUngrabKey(m_connection.display(), registration.keycode, registration.modifiers | lock,
            m_connection.rootWindow());
}

qint32 X11HotKeyRegistrar::registerHotKey(QKeyCombination keys, quint32 signature, quint32 identifier)
{
    if (!m_connection.isUsable())
        return noDisplayStatus;
    unregisterHotKey(signature, identifier);
    Registration registration { keys, signature, identifier };
    const qint32 status = grab(registration);
    if (status == 0)
        m_registrations.append(registration);
    return status;
}

void X11HotKeyRegistrar::unregisterHotKey(quint32 signature, quint32 identifier)
{
    for (qsizetype index = m_registrations.size() - 1; index >= 0; --index) {
        const Registration &registration = m_registrations[index];
        if (registration.signature == signature && registration.identifier == identifier) {
            ungrab(registration);
            m_registrations.removeAt(index);
        }
    }
}

void X11HotKeyRegistrar::regrabAll()
{
    // The keycode of a combination may have moved with the new mapping.
    for (Registration &registration : m_registrations) {
        ungrab(registration);
        grab(registration);
    }
}

void X11HotKeyRegistrar::handleEvent(const XEvent &event)
{
    if ((event.type != KeyPress && event.type != KeyRelease)
        || event.xkey.window != m_connection.rootWindow())
        return;
    const unsigned relevant = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;
    for (Registration &registration : m_registrations) {
        if (int(event.xkey.keycode) != registration.keycode)
            continue;
        // The press counts once the key is let go. Until then the grab holds
        // the keyboard, and toolkits take that for a loss of focus: the field
        // the user was typing in shows no focus for as long as the key is
        // down, however long a person holds it. The user may let go of the
        // modifiers before the key: its release then carries none, and still
        // ends the press.
        if (event.type == KeyPress) {
            if ((event.xkey.state & relevant) == registration.modifiers)
                registration.held = true;
            continue;
        }
        if (!registration.held)
            continue;
        registration.held = false;
        if (m_handler) {
            const Handler handler = m_handler;
            handler(registration.signature, registration.identifier);
        }
    }
}

} // namespace tovra
