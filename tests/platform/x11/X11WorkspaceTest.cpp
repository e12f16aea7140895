#include "X11TestSupport.h"

#include "platform/x11/DesktopEntryIndex.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Workspace.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace tovra;
using tovra::testing::waitUntil;
using tovra::testing::X11TestClient;

namespace {

QByteArray windowClassOf(unsigned long window)
{
    Display *display = XOpenDisplay(nullptr);
    XClassHint hint {};
    QByteArray name;
    if (XGetClassHint(display, window, &hint)) {
        name = hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    XCloseDisplay(display);
    return name;
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

// Just enough of an EWMH window manager: it announces itself, keeps the client
// list, and answers activation requests by focusing the window and publishing
// it as the active one.
class FakeWindowManager {
public:
    FakeWindowManager()
        : m_display(XOpenDisplay(nullptr))
        , m_root(DefaultRootWindow(m_display))
        , m_check(XCreateSimpleWindow(m_display, m_root, 0, 0, 1, 1, 0, 0, 0))
    {
        XSelectInput(m_display, m_root, SubstructureNotifyMask);
        setWindows(m_check, "_NET_SUPPORTING_WM_CHECK", { m_check });
        setWindows(m_root, "_NET_SUPPORTING_WM_CHECK", { m_check });
        setWindows(m_root, "_NET_ACTIVE_WINDOW", { None });
        XSync(m_display, False);
    }

    ~FakeWindowManager()
    {
        for (const char *name :
            { "_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW", "_NET_CLIENT_LIST_STACKING" })
            XDeleteProperty(m_display, m_root, XInternAtom(m_display, name, False));
        XDestroyWindow(m_display, m_check);
        XCloseDisplay(m_display);
    }

    void manage(const QList<unsigned long> &windows)
    {
        setWindows(m_root, "_NET_CLIENT_LIST_STACKING", windows);
        XSync(m_display, False);
    }

    // Handles the requests that have arrived; called while a test waits.
    void pump()
    {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type != ClientMessage
                || event.xclient.message_type != XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False))
                continue;
            requests.append({ event.xclient.window, event.xclient.data.l[0] });
            XSetInputFocus(m_display, event.xclient.window, RevertToParent, CurrentTime);
            setWindows(m_root, "_NET_ACTIVE_WINDOW", { event.xclient.window });
            XSync(m_display, False);
        }
    }

    unsigned long checkWindow() const { return m_check; }

    // Marks the window as the desktop's background, as a desktop shell does.
    void markAsDesktop(unsigned long window)
    {
        const Atom desktop = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
        XChangeProperty(m_display, window, XInternAtom(m_display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
            PropModeReplace, reinterpret_cast<const unsigned char *>(&desktop), 1);
        XSync(m_display, False);
    }

    void setActive(unsigned long window)
    {
        setWindows(m_root, "_NET_ACTIVE_WINDOW", { window });
        XSync(m_display, False);
    }

    struct Request {
        unsigned long window;
        long source;
    };
    QList<Request> requests;

private:
    void setWindows(Window on, const char *property, const QList<unsigned long> &windows)
    {
        XChangeProperty(m_display, on, XInternAtom(m_display, property, False), XA_WINDOW, 32,
            PropModeReplace, reinterpret_cast<const unsigned char *>(windows.constData()),
            int(windows.size()));
    }

    Display *m_display;
    Window m_root;
    Window m_check;
};

class X11WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(connection.isUsable()) << "no X display";
        ASSERT_TRUE(applications.isValid());
    }

    bool waitForFrontmost(qint64 processIdentifier, const std::function<void()> &whileWaiting = {})
    {
        return waitUntil([&] {
            if (whileWaiting)
                whileWaiting();
            const auto front = workspace.frontmostApplication();
            return front && front->processIdentifier == processIdentifier;
        });
    }

    QTemporaryDir applications;
    X11Connection connection;
    DesktopEntryIndex entries { { applications.path() } };
    X11Workspace workspace { connection, entries };
};

TEST_F(X11WorkspaceTest, TheFrontmostApplicationIsTheFocusedClientNamedByItsEntry)
{
    X11TestClient client;
    ASSERT_TRUE(client.start());
    const QByteArray windowClass = windowClassOf(client.windowId());
    ASSERT_FALSE(windowClass.isEmpty());
    writeFile(applications.filePath(QStringLiteral("org.example.TestClient.desktop")),
        "[Desktop Entry]\nType=Application\nName=Test Client\nName[zh_CN]=测试客户端\nStartupWMClass="
            + windowClass + "\nExec=true\n");

    ASSERT_TRUE(client.request("focus plain", "ok"));
    ASSERT_TRUE(waitForFrontmost(client.processId()));
    const auto front = workspace.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleIdentifier, QStringLiteral("org.example.TestClient"));
    EXPECT_EQ(front->localizedName, QStringLiteral("测试客户端"));
    EXPECT_FALSE(front->isTerminated);
    EXPECT_EQ(workspace.runningApplication(ProcessIdentifier(client.processId())), front);
}

TEST_F(X11WorkspaceTest, WithoutAnEntryTheWindowClassNamesTheApplication)
{
    X11TestClient client;
    ASSERT_TRUE(client.start());
    ASSERT_TRUE(client.request("focus plain", "ok"));
    ASSERT_TRUE(waitForFrontmost(client.processId()));
    const QString windowClass = QString::fromLatin1(windowClassOf(client.windowId()));
    const auto front = workspace.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleIdentifier, windowClass);
    EXPECT_EQ(front->localizedName, windowClass);
}

TEST_F(X11WorkspaceTest, ActivationBringsAnApplicationForwardAndIsAnnounced)
{
    X11TestClient first;
    X11TestClient second;
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());
    ASSERT_TRUE(first.request("focus plain", "ok"));
    ASSERT_TRUE(waitForFrontmost(first.processId()));

    QSignalSpy activations(&workspace, &Workspace::applicationActivated);
    ASSERT_TRUE(workspace.activateApplication(ProcessIdentifier(second.processId())));
    ASSERT_TRUE(waitForFrontmost(second.processId()));
    ASSERT_TRUE(waitUntil([&] { return !activations.isEmpty(); }));
    EXPECT_EQ(activations.last().at(0).value<ProcessIdentifier>(), ProcessIdentifier(second.processId()));

    ASSERT_TRUE(workspace.activateApplication(ProcessIdentifier(first.processId())));
    ASSERT_TRUE(waitForFrontmost(first.processId()));
    ASSERT_TRUE(waitUntil([&] {
        return activations.last().at(0).value<ProcessIdentifier>() == ProcessIdentifier(first.processId());
    }));
}

TEST_F(X11WorkspaceTest, UnderAWindowManagerActivationIsRequestedAndTheActiveWindowFollowed)
{
    X11TestClient first;
    X11TestClient second;
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());
    FakeWindowManager manager;
    manager.manage({ first.windowId(), second.windowId() });
    manager.setActive(first.windowId());
    ASSERT_TRUE(waitForFrontmost(first.processId()));

    QSignalSpy activations(&workspace, &Workspace::applicationActivated);
    ASSERT_TRUE(workspace.activateApplication(ProcessIdentifier(second.processId())));
    ASSERT_TRUE(waitForFrontmost(second.processId(), [&] { manager.pump(); }));
    ASSERT_EQ(manager.requests.size(), 1);
    EXPECT_EQ(manager.requests.first().window, second.windowId());
    EXPECT_EQ(manager.requests.first().source, 2);
    ASSERT_TRUE(waitUntil([&] {
        return !activations.isEmpty()
            && activations.last().at(0).value<ProcessIdentifier>() == ProcessIdentifier(second.processId());
    }));

    // The published active window counts, not the keyboard focus.
    manager.setActive(None);
    ASSERT_TRUE(waitUntil([&] { return !workspace.frontmostApplication(); }));
}

// On an empty desktop the window manager gives the focus to a window of its
// own; a desktop shell's background may hold it too. Neither is a place to
// paste into: there is no frontmost application then.
TEST_F(X11WorkspaceTest, TheWindowManagersOwnWindowsAndTheDesktopAreNoApplication)
{
    X11TestClient client;
    ASSERT_TRUE(client.start());
    FakeWindowManager manager;
    manager.manage({ client.windowId() });
    manager.setActive(client.windowId());
    ASSERT_TRUE(waitForFrontmost(client.processId()));

    manager.setActive(manager.checkWindow());
    EXPECT_TRUE(waitUntil([&] { return !workspace.frontmostApplication(); }));

    manager.setActive(client.windowId());
    ASSERT_TRUE(waitForFrontmost(client.processId()));
    manager.markAsDesktop(client.windowId());
    EXPECT_TRUE(waitUntil([&] { return !workspace.frontmostApplication(); }));
}

TEST_F(X11WorkspaceTest, AnEndedProcessIsStillDescribedAsTerminated)
{
    X11TestClient client;
    ASSERT_TRUE(client.start());
    const auto processIdentifier = ProcessIdentifier(client.processId());
    const auto running = workspace.runningApplication(processIdentifier);
    ASSERT_TRUE(running);
    EXPECT_FALSE(running->isTerminated);
    EXPECT_FALSE(running->localizedName.isEmpty());
    client.stop();

    const auto ended = workspace.runningApplication(processIdentifier);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(ended->isTerminated);
    EXPECT_EQ(ended->localizedName, running->localizedName);
    EXPECT_EQ(ended->bundleIdentifier, running->bundleIdentifier);
    EXPECT_FALSE(workspace.activateApplication(processIdentifier));
    EXPECT_FALSE(workspace.runningApplication(0));
    // A process this workspace never saw and that does not exist.
    EXPECT_FALSE(workspace.runningApplication(0x7ffffff0));
}

TEST_F(X11WorkspaceTest, InstalledEntriesLaunchAndEntriesElsewhereAreRefused)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString marker = scratch.filePath(QStringLiteral("launched"));
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=Settings\nExec=sh -c \"echo yes > '"
        + QFile::encodeName(marker) + "'\"\n";
    writeFile(applications.filePath(QStringLiteral("settings.desktop")), entry);
    writeFile(scratch.filePath(QStringLiteral("downloaded.desktop")), entry);

    EXPECT_FALSE(
        workspace.openURL(QUrl::fromLocalFile(scratch.filePath(QStringLiteral("downloaded.desktop")))));
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_TRUE(
        workspace.openURL(QUrl::fromLocalFile(applications.filePath(QStringLiteral("settings.desktop")))));
    EXPECT_TRUE(waitUntil([&] { return QFile::exists(marker); }));
    EXPECT_FALSE(workspace.revealFile(QUrl::fromLocalFile(scratch.filePath(QStringLiteral("missing")))));
    EXPECT_FALSE(workspace.revealFile(QUrl(QStringLiteral("https://example.org/file"))));
}

TEST(X11WorkspaceWithoutDisplayTest, KnowsProcessesButNoWindows)
{
    X11Connection connection(QByteArrayLiteral(":4711"));
    DesktopEntryIndex entries(QStringList {});
    X11Workspace workspace(connection, entries);
    EXPECT_FALSE(workspace.frontmostApplication());
    const auto own = workspace.runningApplication(ProcessIdentifier(getpid()));
    ASSERT_TRUE(own);
    EXPECT_EQ(own->bundleIdentifier, QStringLiteral("tovra_x11_desktop_tests"));
    EXPECT_FALSE(workspace.activateApplication(ProcessIdentifier(getpid())));
}

} // namespace
