#include "platform/x11/X11Windows.h"

#include "platform/x11/X11Connection.h"

#include <QSysInfo>

#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

namespace tovra {

namespace {

// Client lists of a desktop hold hundreds of windows at most.
constexpr long maximumListLength = 65536;

class PropertyData {
public:
    ~PropertyData()
    {
        if (bytes)
            XFree(bytes);
    }
    unsigned char *bytes = nullptr;
};

// One window property as the server returned it; the data is freed with it.
struct PropertyReply {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    PropertyData data;
};

// Reads up to `length` 32-bit units of a property, or nothing when the
// connection is unusable, the window is None or the server refused.
std::unique_ptr<PropertyReply> readProperty(
    X11Connection &connection, Window window, const char *property, long length, Atom requestedType)
{
    if (!connection.isUsable() || window == None)
        return nullptr;
    X11ErrorTrap trap(connection);
    auto reply = std::make_unique<PropertyReply>();
    unsigned long after = 0;
    if (XGetWindowProperty(connection.display(), window, connection.atom(property), 0, length, False,
            requestedType, &reply->type, &reply->format, &reply->count, &after, &reply->data.bytes)
        != Success)
        return nullptr;
    return reply;
}

} // namespace

X11Windows::X11Windows(X11Connection &connection)
    : m_connection(connection)
{
}

QList<unsigned long> X11Windows::cardinalList(Window window, const char *property, unsigned long atomType)
{
    QList<unsigned long> values;
    const auto reply = readProperty(m_connection, window, property, maximumListLength, atomType);
    if (!reply || reply->type != atomType || reply->format != 32 || !reply->data.bytes)
        return values;
    const auto *items = reinterpret_cast<const unsigned long *>(reply->data.bytes);
    for (unsigned long index = 0; index < reply->count; ++index)
        values.append(items[index]);
    return values;
}

std::optional<QByteArray> X11Windows::stringProperty(Window window, const char *property)
{
    const auto reply = readProperty(m_connection, window, property, 1024, AnyPropertyType);
    if (!reply || reply->format != 8 || !reply->data.bytes)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(reply->data.bytes), qsizetype(reply->count));
}

bool X11Windows::hasProperty(Window window, const char *property)
{
    const auto reply = readProperty(m_connection, window, property, 0, AnyPropertyType);
    return reply && reply->type != None;
}

std::optional<Window> X11Windows::windowManagerCheckWindow()
{
    const auto check = cardinalList(m_connection.rootWindow(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.isEmpty() || check.first() == None)
        return std::nullopt;
    // A window manager that died leaves the property behind, pointing at a
    // window that is gone or no longer points at itself.
    const auto confirmation = cardinalList(check.first(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (confirmation.isEmpty() || confirmation.first() != check.first())
        return std::nullopt;
    return Window(check.first());
}

bool X11Windows::hasWindowManager()
{
    return windowManagerCheckWindow().has_value();
}

bool X11Windows::isDesktopShellWindow(Window window)
{
    if (window == None)
        return false;
    const unsigned long desktop = m_connection.atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    const unsigned long dock = m_connection.atom("_NET_WM_WINDOW_TYPE_DOCK");
    for (const unsigned long type : cardinalList(window, "_NET_WM_WINDOW_TYPE", XA_ATOM)) {
        if (type == desktop || type == dock)
            return true;
    }
    const auto check = windowManagerCheckWindow();
    if (!check)
        return false;
    if (*check == window)
        return true;
    const auto manager = processOf(*check);
    return manager && processOf(window) == manager;
}

Window X11Windows::activeWindow()
{
    if (!m_connection.isUsable())
        return None;
    if (hasWindowManager()) {
        const auto active = cardinalList(m_connection.rootWindow(), "_NET_ACTIVE_WINDOW", XA_WINDOW);
        if (!active.isEmpty())
            return active.first() == None ? None : clientWindowOf(active.first());
    }
    return focusedWindow();
}

Window X11Windows::focusedWindow()
{
    if (!m_connection.isUsable())
        return None;
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(m_connection.display(), &focus, &revertTo);
    m_connection.scheduleDispatch();
    if (focus == None || focus == PointerRoot)
        return None;
    return clientWindowOf(focus);
}

Window X11Windows::topLevelOf(Window window)
{
    Display *display = m_connection.display();
    const Window root = m_connection.rootWindow();
    X11ErrorTrap trap(m_connection);
    // Window trees are shallow; the bound only guards against a tree that
    // changes under our feet.
    for (int depth = 0; depth < 64 && window != None && window != root; ++depth) {
        Window rootReturn = None;
        Window parent = None;
        Window *children = nullptr;
        unsigned int childCount = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &childCount))
            return None;
        if (children)
            XFree(children);
        if (parent == root)
            return window;
        window = parent;
    }
    return None;
}

Window X11Windows::clientWindowOf(Window window)
{
    if (!m_connection.isUsable())
        return None;
    if (hasProperty(window, "WM_STATE"))
        return window;
    const Window topLevel = topLevelOf(window);
    if (topLevel == None || hasProperty(topLevel, "WM_STATE"))
        return topLevel;
    // A window manager's frame: the client is the descendant with WM_STATE.
    QList<Window> level { topLevel };
    X11ErrorTrap trap(m_connection);
    for (int depth = 0; depth < 4 && !level.isEmpty(); ++depth) {
        QList<Window> next;
        for (const Window parent : std::as_const(level)) {
            Window rootReturn = None;
            Window parentReturn = None;
            Window *children = nullptr;
            unsigned int childCount = 0;
            if (!XQueryTree(
                    m_connection.display(), parent, &rootReturn, &parentReturn, &children, &childCount))
                continue;
            for (unsigned int index = 0; index < childCount; ++index) {
                if (hasProperty(children[index], "WM_STATE")) {
                    const Window client = children[index];
                    XFree(children);
                    return client;
                }
                next.append(children[index]);
            }
            if (children)
                XFree(children);
        }
        level = next;
    }
    return topLevel;
}

std::optional<ProcessIdentifier> X11Windows::processFromResourceExtension(Window window)
{
    Display *display = m_connection.display();
    if (!m_hasResourceExtension) {
        int eventBase = 0;
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        m_hasResourceExtension = XResQueryExtension(display, &eventBase, &errorBase)
            && XResQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 2));
    }
    if (!*m_hasResourceExtension)
        return std::nullopt;
    X11ErrorTrap trap(m_connection);
    XResClientIdSpec specification { window, XRES_CLIENT_ID_PID_MASK };
    long count = 0;
    XResClientIdValue *values = nullptr;
    if (XResQueryClientIds(display, 1, &specification, &count, &values) != Success)
        return std::nullopt;
    std::optional<ProcessIdentifier> found;
    for (long index = 0; index < count && !found; ++index) {
        const pid_t process = XResGetClientPid(&values[index]);
        if (process > 0)
            found = ProcessIdentifier(process);
    }
    XResClientIdsDestroy(count, values);
    return found;
}

std::optional<ProcessIdentifier> X11Windows::processFromProperty(Window window)
{
    const auto values = cardinalList(window, "_NET_WM_PID", XA_CARDINAL);
    if (values.isEmpty() || values.first() == 0 || values.first() > 0x7fffffffUL)
        return std::nullopt;
    // A process number from another machine names nothing here.
    if (const auto machine = stringProperty(window, "WM_CLIENT_MACHINE")) {
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        if (!machine->isEmpty() && *machine != host && *machine != "localhost")
            return std::nullopt;
    }
    return ProcessIdentifier(values.first());
}

std::optional<ProcessIdentifier> X11Windows::processOf(Window window)
{
    if (!m_connection.isUsable() || window == None)
        return std::nullopt;
    // The server knows the client's process for certain; the property is what
    // the client says of itself, and inside a sandbox it is the process number
    // of another namespace.
    if (auto process = processFromResourceExtension(window))
        return process;
    return processFromProperty(window);
}

X11Windows::WindowClass X11Windows::windowClass(Window window)
{
    WindowClass result;
    const auto value = stringProperty(window, "WM_CLASS");
    if (!value)
        return result;
    const QList<QByteArray> parts = value->split('\0');
    if (!parts.value(0).isEmpty())
        result.instance = QString::fromLocal8Bit(parts.value(0));
    if (!parts.value(1).isEmpty())
        result.className = QString::fromLocal8Bit(parts.value(1));
    return result;
}

QList<Window> X11Windows::applicationWindows()
{
    QList<Window> windows;
    if (!m_connection.isUsable())
        return windows;
    if (hasWindowManager()) {
        for (const unsigned long window :
            cardinalList(m_connection.rootWindow(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW))
            windows.append(window);
        if (windows.isEmpty()) {
            for (const unsigned long window :
                cardinalList(m_connection.rootWindow(), "_NET_CLIENT_LIST", XA_WINDOW))
                windows.append(window);
        }
        return windows;
    }
    Display *display = m_connection.display();
    X11ErrorTrap trap(m_connection);
    Window rootReturn = None;
    Window parent = None;
    Window *children = nullptr;
    unsigned int childCount = 0;
    if (!XQueryTree(display, m_connection.rootWindow(), &rootReturn, &parent, &children, &childCount))
        return windows;
    for (unsigned int index = 0; index < childCount; ++index) {
        XWindowAttributes attributes {};
        if (XGetWindowAttributes(display, children[index], &attributes) && attributes.map_state == IsViewable
            && attributes.c_class == InputOutput && !attributes.override_redirect)
            windows.append(children[index]);
    }
    if (children)
        XFree(children);
    return windows;
}

bool X11Windows::activate(Window window)
{
    if (!m_connection.isUsable() || window == None)
        return false;
    Display *display = m_connection.display();
    const Time time = m_connection.serverTime();
    X11ErrorTrap trap(m_connection);
    if (hasWindowManager()) {
        XEvent request {};
        request.xclient.type = ClientMessage;
        request.xclient.window = window;
        request.xclient.message_type = m_connection.atom("_NET_ACTIVE_WINDOW");
        request.xclient.format = 32;
        // Source 2: a request on the user's behalf, like a pager's, which
        // window managers honour rather than treat as focus stealing.
        request.xclient.data.l[0] = 2;
        request.xclient.data.l[1] = long(time);
        request.xclient.data.l[2] = 0;
        XSendEvent(display, m_connection.rootWindow(), False,
            SubstructureRedirectMask | SubstructureNotifyMask, &request);
    } else {
        XMapRaised(display, window);
        XSetInputFocus(display, window, RevertToParent, time);
    }
    return trap.sync() == 0;
}

} // namespace tovra
