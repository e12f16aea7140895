#include "WindowStartWatcher.h"

#include <QByteArray>
#include <QList>

#include <atspi/atspi.h>
#include <dbus/dbus.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tovra::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int pollIntervalMilliseconds = 1;

// A window that vanished between its notification and our question about it
// is no failure of the watch.
int ignoreXErrors(Display *, XErrorEvent *)
{
    return 0;
}

double millisecondsSince(Clock::time_point started)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
}

// The 32-bit pixels of a screen area, row after row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> values;
};

void copyPixels(const XImage &image, Pixels &into)
{
    into.width = image.width;
    into.height = image.height;
    into.values.resize(std::size_t(image.width) * std::size_t(image.height));
    for (int row = 0; row < image.height; ++row) {
        const auto *line = reinterpret_cast<const std::uint32_t *>(
            image.data + std::ptrdiff_t(row) * image.bytes_per_line);
        std::copy(line, line + image.width, into.values.begin() + std::ptrdiff_t(row) * image.width);
    }
}

// Reads an area of the root window through shared memory, or through the
// connection where the server has no MIT-SHM.
class AreaGrabber {
public:
    AreaGrabber(Display *display, int x, int y, int width, int height)
        : m_display(display)
        , m_x(x)
        , m_y(y)
        , m_width(width)
        , m_height(height)
    {
        if (!XShmQueryExtension(display))
            return;
        const int screen = DefaultScreen(display);
        m_image = XShmCreateImage(display, DefaultVisual(display, screen),
            unsigned(DefaultDepth(display, screen)), ZPixmap, nullptr, &m_segment, unsigned(width),
            unsigned(height));
        if (!m_image)
            return;
        m_segment.shmid = shmget(
            IPC_PRIVATE, std::size_t(m_image->bytes_per_line) * std::size_t(height), IPC_CREAT | 0600);
        if (m_segment.shmid >= 0) {
            void *address = shmat(m_segment.shmid, nullptr, 0);
            // Gone with the last detach, whatever happens to this process.
            shmctl(m_segment.shmid, IPC_RMID, nullptr);
            if (address != reinterpret_cast<void *>(-1)) {
                m_segment.shmaddr = m_image->data = static_cast<char *>(address);
                m_segment.readOnly = False;
                m_attached = XShmAttach(display, &m_segment);
                XSync(display, False);
            }
        }
        if (!m_attached)
            release();
    }
    ~AreaGrabber() { release(); }

    AreaGrabber(const AreaGrabber &) = delete;
    AreaGrabber &operator=(const AreaGrabber &) = delete;

    bool grab(Pixels &into)
    {
        const Window root = DefaultRootWindow(m_display);
        if (m_attached) {
            if (!XShmGetImage(m_display, root, m_image, m_x, m_y, AllPlanes))
                return false;
            copyPixels(*m_image, into);
            return true;
        }
        XImage *image
            = XGetImage(m_display, root, m_x, m_y, unsigned(m_width), unsigned(m_height), AllPlanes, ZPixmap);
        if (!image)
            return false;
        copyPixels(*image, into);
        XDestroyImage(image);
        return true;
    }

private:
    void release()
    {
        if (m_attached)
            XShmDetach(m_display, &m_segment);
        if (m_image) {
            if (m_segment.shmaddr)
                shmdt(m_segment.shmaddr);
            m_image->data = nullptr;
            XDestroyImage(m_image);
        }
        m_attached = false;
        m_image = nullptr;
        m_segment.shmaddr = nullptr;
    }

    Display *m_display;
    int m_x, m_y, m_width, m_height;
    XShmSegmentInfo m_segment {};
    XImage *m_image = nullptr;
    bool m_attached = false;
};

} // namespace

struct WindowStartWatcher::State {
    Display *display = nullptr;
    Atom netWmPid = None;
    Atom netWmName = None;
    Atom utf8String = None;
    Pixels screenBefore;
    Window window = None;
    AtspiEventListener *nameListener = nullptr;
    struct Announcement {
        QString name;
        Clock::time_point at;
    };
    QList<Announcement> announcements;

    // The toolkit's event names the accessible whose name changed but not
    // the name: it is asked for without waiting, so that the watch goes on
    // grabbing the screen while the app is busy.
    static void onNameChanged(AtspiEvent *event, void *data)
    {
        const AtspiObject *source = event->source ? ATSPI_OBJECT(event->source) : nullptr;
        if (source && source->app && source->app->bus_name && source->path) {
            DBusConnection *bus = source->app->bus ? source->app->bus : atspi_get_a11y_bus();
            DBusMessage *call = dbus_message_new_method_call(
                source->app->bus_name, source->path, "org.freedesktop.DBus.Properties", "Get");
            const char *interface = "org.a11y.atspi.Accessible";
            const char *property = "Name";
            dbus_message_append_args(
                call, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID);
            DBusPendingCall *pending = nullptr;
            if (dbus_connection_send_with_reply(bus, call, &pending, DBUS_TIMEOUT_USE_DEFAULT) && pending) {
                dbus_pending_call_set_notify(pending, &State::onNameRead, data, nullptr);
                dbus_pending_call_unref(pending);
            }
            dbus_message_unref(call);
        }
        g_boxed_free(ATSPI_TYPE_EVENT, event);
    }

    static void onNameRead(DBusPendingCall *pending, void *data)
    {
        auto *self = static_cast<State *>(data);
        DBusMessage *reply = dbus_pending_call_steal_reply(pending);
        if (!reply)
            return;
        DBusMessageIter arguments;
        if (dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_METHOD_RETURN
            && dbus_message_iter_init(reply, &arguments)
            && dbus_message_iter_get_arg_type(&arguments) == DBUS_TYPE_VARIANT) {
            DBusMessageIter value;
            dbus_message_iter_recurse(&arguments, &value);
            if (dbus_message_iter_get_arg_type(&value) == DBUS_TYPE_STRING) {
                const char *name = nullptr;
                dbus_message_iter_get_basic(&value, &name);
                self->announcements.append({ QString::fromUtf8(name), Clock::now() });
            }
        }
        dbus_message_unref(reply);
    }

    void dispatchAccessibilityEvents()
    {
        while (g_main_context_iteration(nullptr, FALSE)) { }
    }

    qint64 windowPid(Window candidate) const
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char *data = nullptr;
        qint64 pid = -1;
        if (XGetWindowProperty(display, candidate, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                &remaining, &data)
                == Success
            && data && format == 32 && count == 1)
            pid = qint64(*reinterpret_cast<unsigned long *>(data));
        if (data)
            XFree(data);
        return pid;
    }

    QString windowTitle(Window candidate) const
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char *data = nullptr;
        QString title;
        if (XGetWindowProperty(display, candidate, netWmName, 0, 1024, False, utf8String, &type, &format,
                &count, &remaining, &data)
                == Success
            && data && format == 8)
            title = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(count));
        if (data)
            XFree(data);
        return title;
    }

    // How many of the area's pixels differ from what the screen showed there
    // before the start, as a share of all.
    double changedShare(const Pixels &now, int x, int y) const
    {
        std::size_t changed = 0;
        for (int row = 0; row < now.height; ++row) {
            const std::uint32_t *before
                = screenBefore.values.data() + std::ptrdiff_t(y + row) * screenBefore.width + x;
            const std::uint32_t *after = now.values.data() + std::ptrdiff_t(row) * now.width;
            for (int column = 0; column < now.width; ++column)
                changed += ((before[column] ^ after[column]) & 0xffffffu) != 0;
        }
        return double(changed) / double(std::max<std::size_t>(1, now.values.size()));
    }
};

WindowStartWatcher::WindowStartWatcher()
    : m_state(std::make_unique<State>())
{
    m_state->display = XOpenDisplay(nullptr);
    if (!m_state->display)
        return;
    XSetErrorHandler(ignoreXErrors);
    m_state->netWmPid = XInternAtom(m_state->display, "_NET_WM_PID", False);
    m_state->netWmName = XInternAtom(m_state->display, "_NET_WM_NAME", False);
    m_state->utf8String = XInternAtom(m_state->display, "UTF8_STRING", False);
    XSelectInput(m_state->display, DefaultRootWindow(m_state->display), SubstructureNotifyMask);
    XSync(m_state->display, False);

    // Registered before the process starts, so that its toolkit sends the
    // events from its first moment on.
    atspi_init();
    m_state->nameListener = atspi_event_listener_new(&State::onNameChanged, m_state.get(), nullptr);
    atspi_event_listener_register(m_state->nameListener, "object:property-change:accessible-name", nullptr);
    m_state->dispatchAccessibilityEvents();
}

WindowStartWatcher::~WindowStartWatcher()
{
    if (m_state->nameListener) {
        atspi_event_listener_deregister(
            m_state->nameListener, "object:property-change:accessible-name", nullptr);
        g_object_unref(m_state->nameListener);
    }
    if (m_state->display)
        XCloseDisplay(m_state->display);
}

bool WindowStartWatcher::isReady() const
{
    return m_state->display != nullptr;
}

void WindowStartWatcher::prepare()
{
    XSync(m_state->display, False);
    XEvent event;
    while (XPending(m_state->display))
        XNextEvent(m_state->display, &event);
    m_state->dispatchAccessibilityEvents();
    m_state->announcements.clear();
    m_state->window = None;

    Screen *screen = DefaultScreenOfDisplay(m_state->display);
    AreaGrabber(m_state->display, 0, 0, WidthOfScreen(screen), HeightOfScreen(screen))
        .grab(m_state->screenBefore);
}

WindowStartTimes WindowStartWatcher::watch(qint64 pid, const QString &title, const QString &awaitedName,
    Clock::time_point started, std::chrono::milliseconds timeout)
{
    WindowStartTimes times;
    const Clock::time_point deadline = started + timeout;
    std::unique_ptr<AreaGrabber> grabber;
    int areaX = 0, areaY = 0;
    Pixels area;
    pollfd connection { ConnectionNumber(m_state->display), POLLIN, 0 };

    while (Clock::now() < deadline) {
        if (!XPending(m_state->display))
            poll(&connection, 1, pollIntervalMilliseconds);
        while (XPending(m_state->display)) {
            XEvent event;
            XNextEvent(m_state->display, &event);
            if (event.type != MapNotify || m_state->window != None)
                continue;
            const Window candidate = event.xmap.window;
            if (m_state->windowPid(candidate) != pid || m_state->windowTitle(candidate) != title)
                continue;
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(m_state->display, candidate, &attributes))
                continue;
            times.mapped = millisecondsSince(started);
            m_state->window = candidate;
            // The window's area as far as it lies on the screen.
            areaX = std::clamp(attributes.x, 0, m_state->screenBefore.width - 1);
            areaY = std::clamp(attributes.y, 0, m_state->screenBefore.height - 1);
            const int width = std::min(attributes.x + attributes.width, m_state->screenBefore.width) - areaX;
            const int height
                = std::min(attributes.y + attributes.height, m_state->screenBefore.height) - areaY;
            grabber = std::make_unique<AreaGrabber>(
                m_state->display, areaX, areaY, std::max(1, width), std::max(1, height));
        }
        m_state->dispatchAccessibilityEvents();

        // Painted once most of the area shows something else than before:
        // the toolkit puts its whole first frame on screen in one piece.
        if (grabber && !times.painted && grabber->grab(area)
            && m_state->changedShare(area, areaX, areaY) >= 0.5)
            times.painted = millisecondsSince(started);
        if (!awaitedName.isEmpty() && !times.named) {
            for (const State::Announcement &announcement : std::as_const(m_state->announcements)) {
                if (announcement.name == awaitedName) {
                    times.named
                        = std::chrono::duration<double, std::milli>(announcement.at - started).count();
                    break;
                }
            }
        }
        if (times.painted && (awaitedName.isEmpty() || times.named))
            break;
    }
    return times;
}

bool WindowStartWatcher::waitForWindowGone(std::chrono::milliseconds timeout)
{
    if (m_state->window == None)
        return true;
    const Clock::time_point deadline = Clock::now() + timeout;
    pollfd connection { ConnectionNumber(m_state->display), POLLIN, 0 };
    while (Clock::now() < deadline) {
        if (!XPending(m_state->display))
            poll(&connection, 1, pollIntervalMilliseconds * 10);
        while (XPending(m_state->display)) {
            XEvent event;
            XNextEvent(m_state->display, &event);
            if (event.type == DestroyNotify && event.xdestroywindow.window == m_state->window) {
                m_state->window = None;
                return true;
            }
        }
    }
    return false;
}

} // namespace tovra::bench
