#include "platform/x11/X11ClipboardTextReader.h"

#include <QStringDecoder>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <cerrno>

namespace tovra {

namespace {

// A failed request on our own window (the owner vanished, a property went
// away) must not end the process, which is Xlib's default.
int ignoreProtocolError(Display *, XErrorEvent *)
{
    return 0;
}

class ProtocolErrorsIgnored {
public:
    explicit ProtocolErrorsIgnored(Display *display)
        : m_display(display)
        , m_previous(XSetErrorHandler(ignoreProtocolError))
    {
    }
    ~ProtocolErrorsIgnored()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    ProtocolErrorsIgnored(const ProtocolErrorsIgnored &) = delete;
    ProtocolErrorsIgnored &operator=(const ProtocolErrorsIgnored &) = delete;

private:
    Display *m_display;
    XErrorHandler m_previous;
};

class PropertyData {
public:
    ~PropertyData()
    {
        if (bytes) {
            XFree(bytes);
        }
    }
    unsigned char *bytes = nullptr;
};

} // namespace

struct X11ClipboardTextReader::Connection {
    Display *display = nullptr;
    Window window = 0;
    Atom clipboard = 0;
    Atom utf8String = 0;
    Atom property = 0;

    ~Connection()
    {
        if (display) {
            if (window) {
                XDestroyWindow(display, window);
            }
            XCloseDisplay(display);
        }
    }
};

X11ClipboardTextReader::X11ClipboardTextReader(QByteArray displayName, std::chrono::milliseconds timeout)
    : m_displayName(std::move(displayName))
    , m_timeout(timeout)
{
}

X11ClipboardTextReader::~X11ClipboardTextReader() = default;

bool X11ClipboardTextReader::connect()
{
    if (m_connection) {
        return true;
    }
    Display *display = XOpenDisplay(m_displayName.isEmpty() ? nullptr : m_displayName.constData());
    if (!display) {
        return false;
    }
    auto connection = std::make_unique<Connection>();
    connection->display = display;
    ProtocolErrorsIgnored guard(display);
    XSetWindowAttributes attributes {};
    connection->window = XCreateWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, CopyFromParent,
        InputOnly, CopyFromParent, 0, &attributes);
    connection->clipboard = XInternAtom(display, "CLIPBOARD", False);
    connection->utf8String = XInternAtom(display, "UTF8_STRING", False);
    connection->property = XInternAtom(display, "TOVRA_CLIPBOARD_TEXT", False);
    m_connection = std::move(connection);
    return true;
}

std::optional<QString> X11ClipboardTextReader::readClipboardText()
{
    if (!connect()) {
        return std::nullopt;
    }
    bool connectionReusable = true;
    std::optional<QString> text;
    {
        ProtocolErrorsIgnored guard(m_connection->display);
        text = requestText(connectionReusable);
    }
    if (!connectionReusable) {
        // The owner may still answer later; a fresh connection next time
        // keeps that late answer from being taken for a new request's.
        m_connection.reset();
    }
    return text;
}

std::optional<QString> X11ClipboardTextReader::requestText(bool &connectionReusable)
{
    Connection &c = *m_connection;
    if (XGetSelectionOwner(c.display, c.clipboard) == None) {
        return std::nullopt;
    }

    XConvertSelection(c.display, c.clipboard, c.utf8String, c.property, c.window, CurrentTime);
    XFlush(c.display);

    const auto deadline = std::chrono::steady_clock::now() + m_timeout;
    XEvent event;
    while (!XCheckTypedWindowEvent(c.display, c.window, SelectionNotify, &event)) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            connectionReusable = false;
            return std::nullopt;
        }
        pollfd descriptor { ConnectionNumber(c.display), POLLIN, 0 };
        const int ready = poll(&descriptor, 1, int(remaining.count()));
        if ((ready < 0 && errno != EINTR)
            || (ready > 0 && (descriptor.revents & (POLLERR | POLLHUP | POLLNVAL)))) {
            connectionReusable = false;
            return std::nullopt;
        }
    }
    if (event.xselection.property == None) {
        return std::nullopt;
    }

    Atom type = None;
    int format = 0;
    unsigned long itemCount = 0;
    unsigned long bytesAfter = 0;
    PropertyData data;
    const int status = XGetWindowProperty(c.display, c.window, c.property, 0, long(maximumTextBytes / 4),
        True, AnyPropertyType, &type, &format, &itemCount, &bytesAfter, &data.bytes);
    if (status != Success || type != c.utf8String || format != 8 || bytesAfter > 0) {
        // An incremental transfer or an oversized text: the owner may go on
        // writing to our window, so the next read starts on a fresh one.
        connectionReusable = false;
        return std::nullopt;
    }

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text
        = decoder.decode(QByteArrayView(reinterpret_cast<const char *>(data.bytes), qsizetype(itemCount)));
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

} // namespace tovra
