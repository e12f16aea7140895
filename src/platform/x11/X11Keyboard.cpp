#include "platform/x11/X11Keyboard.h"

#include "platform/x11/X11Connection.h"

#include <QByteArray>

#include <poll.h>

#include <cerrno>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>

namespace tovra {

namespace {

// Without raw events nothing wakes us when a key goes up; the keymap is then
// asked again at this interval.
constexpr int keymapRecheckMilliseconds = 20;

bool isDown(const char keys[32], int keycode)
{
    return keycode > 0 && keycode < 256 && (keys[keycode / 8] & (1 << (keycode % 8)));
}

} // namespace

X11Keyboard::X11Keyboard(X11Connection &connection)
    : m_connection(connection)
    , m_modifierKeys(8)
{
    if (!m_connection.isUsable())
        return;
    Display *display = m_connection.display();
    if (const auto xinput = m_connection.extension("XInputExtension")) {
        int major = 2;
        int minor = 2;
        if (XIQueryVersion(display, &major, &minor) == Success && (major > 2 || (major == 2 && minor >= 2)))
            m_xinputOpcode = xinput->majorOpcode;
    }
    if (m_xinputOpcode) {
        int deviceCount = 0;
        XIDeviceInfo *devices = XIQueryDevice(display, XIAllDevices, &deviceCount);
        for (int index = 0; index < deviceCount; ++index) {
            if (devices[index].use == XISlaveKeyboard && QByteArray(devices[index].name).contains("XTEST"))
                m_syntheticKeyboard = devices[index].deviceid;
        }
        XIFreeDeviceInfo(devices);
    }
    loadModifierMap();
    m_eventListener = m_connection.addEventListener([this](XEvent &event) { handleEvent(event); });
}

X11Keyboard::~X11Keyboard()
{
    m_connection.removeEventListener(m_eventListener);
    if (!m_listeners.empty())
        select(false);
}

void X11Keyboard::loadModifierMap()
{
    m_modifierKeys = QList<QList<int>>(8);
    XModifierKeymap *map = XGetModifierMapping(m_connection.display());
    if (!map)
        return;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int slot = 0; slot < map->max_keypermod; ++slot) {
            const int keycode = map->modifiermap[modifier * map->max_keypermod + slot];
            if (keycode != 0)
                m_modifierKeys[modifier].append(keycode);
        }
    }
    XFreeModifiermap(map);
}

void X11Keyboard::select(bool rawEvents)
{
    if (!m_xinputOpcode || !m_connection.isUsable())
        return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (rawEvents) {
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
    }
    XIEventMask mask { XIAllMasterDevices, int(sizeof bits), bits };
    X11ErrorTrap trap(m_connection);
    XISelectEvents(m_connection.display(), m_connection.rootWindow(), &mask, 1);
    if (rawEvents) {
        // Keys already down when observation starts count as held.
        char keys[32] = {};
        XQueryKeymap(m_connection.display(), keys);
        m_pressed.clear();
        for (int keycode = 8; keycode < 256; ++keycode) {
            if (isDown(keys, keycode))
                m_pressed.insert(keycode);
        }
    }
}

std::optional<int> X11Keyboard::subscribe(RawKeyListener listener)
{
    if (!m_xinputOpcode || !m_connection.isUsable())
        return std::nullopt;
    if (m_listeners.empty())
        select(true);
    const int id = m_nextListenerId++;
    m_listeners.emplace(id, std::move(listener));
    return id;
}

void X11Keyboard::unsubscribe(int id)
{
    if (m_listeners.erase(id) > 0 && m_listeners.empty())
        select(false);
}

unsigned X11Keyboard::modifiersOfPressedKeys() const
{
    unsigned modifiers = 0;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (const int keycode : m_modifierKeys[modifier]) {
            if (m_pressed.contains(keycode))
                modifiers |= 1u << modifier;
        }
    }
    return modifiers;
}

void X11Keyboard::handleEvent(XEvent &event)
{
    if (event.type == MappingNotify) {
        if (event.xmapping.request == MappingModifier || event.xmapping.request == MappingKeyboard) {
            XRefreshKeyboardMapping(&event.xmapping);
            loadModifierMap();
            if (m_mappingListener)
                m_mappingListener();
        }
        return;
    }
    if (!m_xinputOpcode || event.type != GenericEvent || event.xcookie.extension != *m_xinputOpcode
        || (event.xcookie.evtype != XI_RawKeyPress && event.xcookie.evtype != XI_RawKeyRelease))
        return;
    Display *display = m_connection.display();
    if (!XGetEventData(display, &event.xcookie))
        return;
    const auto *raw = static_cast<const XIRawEvent *>(event.xcookie.data);
    RawKey key;
    key.keycode = raw->detail;
    key.isPress = event.xcookie.evtype == XI_RawKeyPress;
    key.isSynthetic = m_syntheticKeyboard >= 0 && raw->sourceid == m_syntheticKeyboard;
    XFreeEventData(display, &event.xcookie);

    const bool wasDown = m_pressed.remove(key.keycode);
    key.modifiers = modifiersOfPressedKeys();
    if (key.isPress) {
        key.isRepeat = wasDown;
        m_pressed.insert(key.keycode);
    }
    std::vector<int> ids;
    for (const auto &entry : m_listeners)
        ids.push_back(entry.first);
    for (const int id : ids) {
        const auto found = m_listeners.find(id);
        if (found != m_listeners.end()) {
            const RawKeyListener listener = found->second;
            listener(key);
        }
    }
}

unsigned long X11Keyboard::latinKeysym(int keycode) const
{
    if (!m_connection.isUsable() || keycode < 8 || keycode > 255)
        return NoSymbol;
    const KeySym symbol = XkbKeycodeToKeysym(m_connection.display(), KeyCode(keycode), 0, 0);
    KeySym lower = NoSymbol;
    KeySym upper = NoSymbol;
    XConvertCase(symbol, &lower, &upper);
    return lower;
}

int X11Keyboard::keycodeOf(unsigned long keysym) const
{
    if (!m_connection.isUsable())
        return 0;
    return XKeysymToKeycode(m_connection.display(), keysym);
}

unsigned X11Keyboard::modifierOf(unsigned long keysym) const
{
    const int keycode = keycodeOf(keysym);
    for (int modifier = 0; modifier < 8 && keycode != 0; ++modifier) {
        if (m_modifierKeys[modifier].contains(keycode))
            return 1u << modifier;
    }
    return 0;
}

unsigned X11Keyboard::heldModifiers() const
{
    if (!m_connection.isUsable())
        return 0;
    char keys[32] = {};
    XQueryKeymap(m_connection.display(), keys);
    unsigned modifiers = 0;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (const int keycode : m_modifierKeys[modifier]) {
            if (isDown(keys, keycode))
                modifiers |= 1u << modifier;
        }
    }
    return modifiers;
}

bool X11Keyboard::waitForRelease(unsigned modifiers, std::chrono::milliseconds timeout)
{
    if (!m_connection.isUsable())
        return false;
    // Raw events make the server tell us about each key going up.
    const std::optional<int> wakeUps = subscribe([](const RawKey &) {});
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool released = false;
    for (;;) {
        if ((heldModifiers() & modifiers) == 0) {
            released = true;
            break;
        }
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0 || !m_connection.isUsable())
            break;
        pollfd descriptor { ConnectionNumber(m_connection.display()), POLLIN, 0 };
        const int wait
            = wakeUps ? int(remaining.count()) : qMin(int(remaining.count()), keymapRecheckMilliseconds);
        if (poll(&descriptor, 1, wait) < 0 && errno != EINTR)
            break;
        m_connection.readAvailableEvents();
    }
    if (wakeUps)
        unsubscribe(*wakeUps);
    m_connection.scheduleDispatch();
    return released;
}

} // namespace tovra
