#include "platform/x11/X11Connection.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <poll.h>

#include <cerrno>
#include <mutex>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tovra {

namespace {

// Xlib's error handlers are process-wide. Ours answer for our own connections
// and hand everything else to whoever was installed before (Qt's, usually).
std::mutex registryMutex;
std::map<Display *, X11Connection *> &registry()
{
    static std::map<Display *, X11Connection *> connections;
    return connections;
}
XErrorHandler previousErrorHandler = nullptr;
XIOErrorHandler previousIOErrorHandler = nullptr;
bool handlersInstalled = false;

X11Connection *connectionOf(Display *display)
{
    std::lock_guard lock(registryMutex);
    const auto found = registry().find(display);
    return found == registry().end() ? nullptr : found->second;
}

} // namespace

struct X11ConnectionErrorHandlers {
    static int handleError(Display *display, XErrorEvent *error)
    {
        X11Connection *connection = connectionOf(display);
        if (!connection)
            return previousErrorHandler ? previousErrorHandler(display, error) : 0;
        connection->noteError(error->serial, error->error_code);
        return 0;
    }

    static int handleIOError(Display *display)
    {
        if (X11Connection *connection = connectionOf(display)) {
            connection->m_broken = true;
            return 0;
        }
        return previousIOErrorHandler ? previousIOErrorHandler(display) : 0;
    }

    // Xlib would end the process after the handler above; the connection is
    // only marked broken, and its users hear of it once the event loop runs.
    static void handleIOErrorExit(Display *, void *userData)
    {
        auto *connection = static_cast<X11Connection *>(userData);
        connection->m_broken = true;
        QMetaObject::invokeMethod(connection, &X11Connection::markBroken, Qt::QueuedConnection);
    }
};

X11Connection::X11Connection(const QByteArray &displayName, QObject *parent)
    : QObject(parent)
{
    m_display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!m_display)
        return;
    {
        std::lock_guard lock(registryMutex);
        if (!handlersInstalled) {
            previousErrorHandler = XSetErrorHandler(&X11ConnectionErrorHandlers::handleError);
            previousIOErrorHandler = XSetIOErrorHandler(&X11ConnectionErrorHandlers::handleIOError);
            handlersInstalled = true;
        }
        registry()[m_display] = this;
    }
    XSetIOErrorExitHandler(m_display, &X11ConnectionErrorHandlers::handleIOErrorExit, this);
    m_root = DefaultRootWindow(m_display);

    XSetWindowAttributes attributes {};
    attributes.event_mask = PropertyChangeMask;
    m_helperWindow = XCreateWindow(m_display, m_root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
        CopyFromParent, CWEventMask, &attributes);
    XStoreName(m_display, m_helperWindow, "Tovra desktop integration");
    XFlush(m_display);

    m_notifier = new QSocketNotifier(ConnectionNumber(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        readAvailableEvents();
        dispatchPendingEvents();
    });
}

X11Connection::X11Connection(Unavailable, QObject *parent)
    : QObject(parent)
{
}

X11Connection::~X11Connection()
{
    if (!m_display)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    if (!m_broken) {
        XDestroyWindow(m_display, m_helperWindow);
        XCloseDisplay(m_display);
    }
    std::lock_guard lock(registryMutex);
    registry().erase(m_display);
}

bool X11Connection::isUsable() const noexcept
{
    return m_display && !m_broken;
}

Atom X11Connection::atom(const char *name)
{
    const QByteArray key(name);
    if (const auto found = m_atoms.constFind(key); found != m_atoms.constEnd())
        return *found;
    if (!isUsable())
        return None;
    const Atom value = XInternAtom(m_display, name, False);
    if (value != None)
        m_atoms.insert(key, value);
    return value;
}

QByteArray X11Connection::atomName(Atom atom)
{
    if (!isUsable() || atom == None)
        return {};
    X11ErrorTrap trap(*this);
    char *name = XGetAtomName(m_display, atom);
    if (!name)
        return {};
    QByteArray result(name);
    XFree(name);
    return result;
}

std::optional<X11Connection::Extension> X11Connection::extension(const char *name)
{
    if (!isUsable())
        return std::nullopt;
    Extension found;
    if (!XQueryExtension(m_display, name, &found.majorOpcode, &found.firstEvent, &found.firstError))
        return std::nullopt;
    return found;
}

int X11Connection::addEventListener(EventListener listener)
{
    const int id = m_nextListenerId++;
    m_listeners.emplace(id, std::move(listener));
    return id;
}

void X11Connection::removeEventListener(int id)
{
    m_listeners.erase(id);
}

void X11Connection::readAvailableEvents()
{
    if (isUsable())
        XEventsQueued(m_display, QueuedAfterReading);
}

void X11Connection::dispatchPendingEvents()
{
    // A listener that reaches back into the backend must not start a second
    // round of dispatching; the outer round goes on with the rest.
    if (m_dispatching || !isUsable())
        return;
    m_dispatching = true;
    while (isUsable() && XEventsQueued(m_display, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        // Listeners may be added or removed by a listener; walk a copy of the ids.
        std::vector<int> ids;
        ids.reserve(m_listeners.size());
        for (const auto &entry : m_listeners)
            ids.push_back(entry.first);
        for (const int id : ids) {
            const auto found = m_listeners.find(id);
            if (found != m_listeners.end()) {
                const EventListener listener = found->second;
                listener(event);
            }
        }
    }
    m_dispatching = false;
}

void X11Connection::scheduleDispatch()
{
    // Replies to our own requests bring along the events sent before them;
    // Xlib queues those without the socket becoming readable again, so they
    // are handed out from the event loop rather than left waiting.
    if (m_dispatchScheduled || !isUsable() || XEventsQueued(m_display, QueuedAlready) == 0)
        return;
    m_dispatchScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_dispatchScheduled = false;
            dispatchPendingEvents();
        },
        Qt::QueuedConnection);
}

namespace {

struct PredicateCall {
    const X11Connection::EventPredicate *predicate;
};

Bool matchesPredicate(Display *, XEvent *event, XPointer argument)
{
    const auto *call = reinterpret_cast<PredicateCall *>(argument);
    return (*call->predicate)(*event) ? True : False;
}

} // namespace

std::optional<XEvent> X11Connection::waitForEvent(
    const EventPredicate &matches, std::chrono::milliseconds timeout)
{
    if (!isUsable())
        return std::nullopt;
    PredicateCall call { &matches };
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    XFlush(m_display);
    for (;;) {
        XEvent event;
        if (XCheckIfEvent(m_display, &event, &matchesPredicate, reinterpret_cast<XPointer>(&call))) {
            scheduleDispatch();
            return event;
        }
        if (!isUsable())
            return std::nullopt;
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            scheduleDispatch();
            return std::nullopt;
        }
        pollfd descriptor { ConnectionNumber(m_display), POLLIN, 0 };
        const int ready = poll(&descriptor, 1, int(remaining.count()));
        if (ready < 0 && errno != EINTR) {
            scheduleDispatch();
            return std::nullopt;
        }
        if (ready > 0)
            XEventsQueued(m_display, QueuedAfterReading);
    }
}

std::vector<XEvent> X11Connection::takeQueuedEvents(const EventPredicate &matches)
{
    std::vector<XEvent> taken;
    if (!isUsable())
        return taken;
    XEventsQueued(m_display, QueuedAfterReading);
    PredicateCall call { &matches };
    XEvent event;
    while (XCheckIfEvent(m_display, &event, &matchesPredicate, reinterpret_cast<XPointer>(&call)))
        taken.push_back(event);
    scheduleDispatch();
    return taken;
}

Time X11Connection::serverTime()
{
    if (!isUsable())
        return CurrentTime;
    const Atom property = atom("TOVRA_TIMESTAMP");
    unsigned char nothing = 0;
    XChangeProperty(m_display, m_helperWindow, property, XA_STRING, 8, PropModeAppend, &nothing, 0);
    const Window window = m_helperWindow;
    const auto event = waitForEvent(
        [window, property](const XEvent &candidate) {
            return candidate.type == PropertyNotify && candidate.xproperty.window == window
                && candidate.xproperty.atom == property;
        },
        std::chrono::milliseconds(1000));
    return event ? event->xproperty.time : CurrentTime;
}

void X11Connection::noteError(unsigned long serial, int errorCode)
{
    for (X11ErrorTrap *trap = m_innermostTrap; trap; trap = trap->m_outer) {
        if (serial >= trap->m_firstSerial) {
            if (trap->m_errorCode == 0)
                trap->m_errorCode = errorCode;
            return;
        }
    }
    // Errors outside a trap concern windows of other clients that vanished
    // between two requests; they need no answer.
}

void X11Connection::markBroken()
{
    m_broken = true;
    if (m_notifier)
        m_notifier->setEnabled(false);
    emit broken();
}

X11ErrorTrap::X11ErrorTrap(X11Connection &connection)
    : m_connection(connection)
    , m_firstSerial(connection.isUsable() ? NextRequest(connection.display()) : 0)
    , m_outer(connection.m_innermostTrap)
{
    connection.m_innermostTrap = this;
}

X11ErrorTrap::~X11ErrorTrap()
{
    sync();
    m_connection.m_innermostTrap = m_outer;
    m_connection.scheduleDispatch();
}

int X11ErrorTrap::sync()
{
    if (m_connection.isUsable())
        XSync(m_connection.display(), False);
    return m_errorCode;
}

} // namespace tovra
