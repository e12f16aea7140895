#include "platform/x11/X11Workspace.h"

#include "platform/x11/X11Connection.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

#include <X11/Xlib.h>

namespace tovra {

X11Workspace::X11Workspace(
    X11Connection &connection, DesktopEntryIndex &desktopEntries, ProcFileSystem processes, QObject *parent)
    : Workspace(parent)
    , m_connection(connection)
    , m_desktopEntries(desktopEntries)
    , m_processes(std::move(processes))
    , m_windows(connection)
{
    if (!m_connection.isUsable())
        return;
    Display *display = m_connection.display();
    const Window root = m_connection.rootWindow();
    X11ErrorTrap trap(m_connection);
    // _NET_ACTIVE_WINDOW changes under a window manager; without one, the
    // focus moves between top-level windows, each of which we follow, new
    // ones included.
    XSelectInput(display, root, PropertyChangeMask | SubstructureNotifyMask);
    Window rootReturn = None;
    Window parentReturn = None;
    Window *children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, root, &rootReturn, &parentReturn, &children, &childCount)) {
        for (unsigned int index = 0; index < childCount; ++index)
            followFocusOf(children[index]);
        if (children)
            XFree(children);
    }
    trap.sync();
    if (const auto front = frontmostApplication())
        m_lastActive = front->processIdentifier;
    m_listener = m_connection.addEventListener([this](XEvent &event) { handleEvent(event); });
}

X11Workspace::~X11Workspace()
{
    m_connection.removeEventListener(m_listener);
}

void X11Workspace::followFocusOf(Window window)
{
    if (window == m_connection.helperWindow())
        return;
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(m_connection.display(), window, &attributes)
        || attributes.c_class != InputOutput)
        return;
    XSelectInput(m_connection.display(), window, attributes.your_event_mask | FocusChangeMask);
}

void X11Workspace::handleEvent(const XEvent &event)
{
    switch (event.type) {
    case PropertyNotify:
        if (event.xproperty.window == m_connection.rootWindow()
            && event.xproperty.atom == m_connection.atom("_NET_ACTIVE_WINDOW"))
            noteActivation();
        break;
    case CreateNotify:
        if (event.xcreatewindow.parent == m_connection.rootWindow()) {
            X11ErrorTrap trap(m_connection);
            followFocusOf(event.xcreatewindow.window);
        }
        break;
    case FocusIn:
        if (event.xfocus.detail != NotifyPointer)
            noteActivation();
        break;
    default:
        break;
    }
}

void X11Workspace::noteActivation()
{
    const auto front = frontmostApplication();
    if (!front || front->processIdentifier == m_lastActive)
        return;
    m_lastActive = front->processIdentifier;
    emit applicationActivated(front->processIdentifier);
}

RunningApplication X11Workspace::describe(ProcessIdentifier processIdentifier, Window window) const
{
    ApplicationHints hints;
    hints.flatpakApplicationId = m_processes.flatpakApplicationId(processIdentifier);
    hints.executableName = m_processes.executableName(processIdentifier);
    if (window != None) {
        const X11Windows::WindowClass windowClass = m_windows.windowClass(window);
        hints.windowClassInstance = windowClass.instance;
        hints.windowClass = windowClass.className;
    }
    const ApplicationIdentity identity = m_desktopEntries.identify(hints);
    RunningApplication application;
    application.processIdentifier = processIdentifier;
    application.localizedName = identity.displayName;
    application.bundleIdentifier = identity.bundleIdentifier;
    application.pasteShortcut = identity.isTerminalEmulator ? PasteShortcut::terminal : PasteShortcut::standard;
    return application;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() const
{
    const Window window = m_windows.activeWindow();
    if (window == None)
        return std::nullopt;
    const auto processIdentifier = m_windows.processOf(window);
    if (!processIdentifier)
        return std::nullopt;
    const auto startTime = m_processes.startTime(*processIdentifier);
    if (!startTime)
        return std::nullopt;
    RunningApplication application = describe(*processIdentifier, window);
    m_known.insert(*processIdentifier, Known { *startTime, application });
    return application;
}

Window X11Workspace::frontWindowOf(ProcessIdentifier processIdentifier) const
{
    const QList<Window> windows = m_windows.applicationWindows();
    for (auto window = windows.crbegin(); window != windows.crend(); ++window) {
        if (m_windows.processOf(*window) == processIdentifier)
            return *window;
    }
    return None;
}

std::optional<RunningApplication> X11Workspace::runningApplication(ProcessIdentifier processIdentifier) const
{
    if (processIdentifier <= 0)
        return std::nullopt;
    const auto startTime = m_processes.startTime(processIdentifier);
    const auto known = m_known.constFind(processIdentifier);
    if (!startTime) {
        if (known == m_known.constEnd())
            return std::nullopt;
        RunningApplication ended = known->application;
        ended.isTerminated = true;
        return ended;
    }
    // The same number with another start time is another process.
    if (known != m_known.constEnd() && known->startTime == *startTime)
        return known->application;
    RunningApplication application = describe(processIdentifier, frontWindowOf(processIdentifier));
    m_known.insert(processIdentifier, Known { *startTime, application });
    return application;
}

bool X11Workspace::activateApplication(ProcessIdentifier processIdentifier)
{
    if (processIdentifier <= 0 || !m_processes.exists(processIdentifier))
        return false;
    const Window window = frontWindowOf(processIdentifier);
    return window != None && m_windows.activate(window);
}

bool X11Workspace::launchEntry(const QString &filePath)
{
    const auto entry = DesktopEntryIndex::parse(filePath, QFileInfo(filePath).completeBaseName());
    if (!entry)
        return false;
    const QStringList arguments = DesktopEntryIndex::execArguments(entry->exec);
    if (arguments.isEmpty())
        return false;
    return QProcess::startDetached(arguments.first(), arguments.mid(1));
}

bool X11Workspace::openURL(const QUrl &url)
{
    if (!url.isValid())
        return false;
    if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".desktop"))) {
        const QString path = url.toLocalFile();
        return m_desktopEntries.containsFile(path) && launchEntry(path);
    }
    return QDesktopServices::openUrl(url);
}

bool X11Workspace::revealFile(const QUrl &fileURL)
{
    if (!fileURL.isLocalFile() || !QFileInfo::exists(fileURL.toLocalFile()))
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage request = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("ShowItems"));
        request << QStringList { fileURL.toString(QUrl::FullyEncoded) } << QString();
        const QDBusMessage reply = bus.call(request, QDBus::Block, int(fileManagerTimeout.count()));
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    // Without a file manager that can select the file, its folder opens.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileURL.toLocalFile()).absolutePath()));
}

} // namespace tovra
