#include "XclipClipboardOwner.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <poll.h>

#include <cerrno>

namespace tovra::testing {

namespace {

// Watches the CLIPBOARD owner through XFixes, so a test knows the moment
// xclip's claim has reached the server rather than when xclip says so.
class OwnerWatch {
public:
    OwnerWatch()
        : m_display(XOpenDisplay(nullptr))
    {
        int errorBase = 0;
        int major = 5;
        int minor = 0;
        if (!m_display || !XFixesQueryExtension(m_display, &m_eventBase, &errorBase)
            || !XFixesQueryVersion(m_display, &major, &minor)) {
            return;
        }
        m_clipboard = XInternAtom(m_display, "CLIPBOARD", False);
        XFixesSelectSelectionInput(
            m_display, DefaultRootWindow(m_display), m_clipboard, XFixesSetSelectionOwnerNotifyMask);
        XSync(m_display, False);
        m_ready = true;
    }
    ~OwnerWatch()
    {
        if (m_display) {
            XCloseDisplay(m_display);
        }
    }
    OwnerWatch(const OwnerWatch &) = delete;
    OwnerWatch &operator=(const OwnerWatch &) = delete;

    // Waits for a new owner, at most `limitMilliseconds` (a guard against
    // a hung test, not a measurement).
    bool waitForNewOwner(int limitMilliseconds)
    {
        if (!m_ready) {
            return false;
        }
        for (;;) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == m_eventBase + XFixesSelectionNotify) {
                    const auto &notify = reinterpret_cast<const XFixesSelectionNotifyEvent &>(event);
                    if (notify.selection == m_clipboard && notify.owner != None) {
                        return true;
                    }
                }
            }
            pollfd descriptor { ConnectionNumber(m_display), POLLIN, 0 };
            const int ready = poll(&descriptor, 1, limitMilliseconds);
            if (ready == 0 || (ready < 0 && errno != EINTR)) {
                return false;
            }
        }
    }

private:
    Display *m_display;
    int m_eventBase = 0;
    Atom m_clipboard = 0;
    bool m_ready = false;
};

} // namespace

XclipClipboardOwner::XclipClipboardOwner(const QByteArray &text, const QString &target)
{
    OwnerWatch watch;
    // xclip notes every request it serves; nobody reads that here.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("xclip"),
        { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-quiet"),
            QStringLiteral("-t"), target, QStringLiteral("-i") });
    if (!m_process.waitForStarted()) {
        return;
    }
    // Without an event loop, the text only reaches xclip while waiting here.
    m_process.write(text);
    while (m_process.bytesToWrite() > 0) {
        if (!m_process.waitForBytesWritten()) {
            return;
        }
    }
    m_process.closeWriteChannel();
    m_owning = watch.waitForNewOwner(30000);
}

XclipClipboardOwner::~XclipClipboardOwner()
{
    release();
}

void XclipClipboardOwner::release()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
    m_owning = false;
}

} // namespace tovra::testing
