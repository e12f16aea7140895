#include "X11TestSupport.h"

#include "platform/Accessibility.h"
#include "platform/HotKeyRegistrar.h"
#include "platform/InputMonitoring.h"
#include "platform/KeyCommandTap.h"
#include "platform/KeyEventPoster.h"
#include "platform/PasteboardChangeObserver.h"
#include "platform/Workspace.h"
#include "platform/x11/X11PlatformBackend.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tovra;
using tovra::testing::waitUntil;
using tovra::testing::X11TestClient;

namespace {

TEST(X11PlatformBackendTest, BuildsAWorkingBundleOnTheDisplay)
{
    X11PlatformBackend backend(ProcessIdentifier(getpid()), X11SessionEnvironment {});
    ASSERT_TRUE(backend.hasDisplay());
    const PlatformServices services = backend.services();
    ASSERT_NE(services.pasteboard, nullptr);
    ASSERT_NE(services.workspace, nullptr);
    ASSERT_NE(services.accessibility, nullptr);
    ASSERT_NE(services.inputMonitoring, nullptr);
    ASSERT_NE(services.keyCommandTap, nullptr);
    ASSERT_NE(services.keyEventPoster, nullptr);
    ASSERT_NE(services.hotKeyRegistrar, nullptr);
    ASSERT_NE(services.clock, nullptr);
    EXPECT_EQ(services.ownProcessIdentifier, ProcessIdentifier(getpid()));
    EXPECT_TRUE(services.inputMonitoring->isTrusted());
    EXPECT_TRUE(services.accessibility->isProcessTrusted());

    // The parts work together: a copy in the focused client is reported as a
    // change that came from its process.
    X11TestClient client;
    ASSERT_TRUE(client.start());
    ASSERT_TRUE(client.request("focus plain", "ok"));
    ASSERT_TRUE(waitUntil([&] {
        const auto front = services.workspace->frontmostApplication();
        return front && front->processIdentifier == client.processId();
    }));
    PasteboardChangeObserver observer(*services.pasteboard, *services.workspace, *services.clock);
    QList<PasteboardChangeEvent> changes;
    observer.start([&](const PasteboardChangeEvent &event) { changes.append(event); });
    const qint64 before = services.pasteboard->changeCount();
    ASSERT_TRUE(client.request("copy-text " + QByteArray("bundle").toBase64(), "ok"));
    ASSERT_TRUE(waitUntil([&] { return !changes.isEmpty(); }));
    EXPECT_EQ(changes.first().changeCount, before + 1);
    EXPECT_EQ(changes.first().sourceProcessIdentifier, ProcessIdentifier(client.processId()));
    EXPECT_EQ(services.pasteboard->string(), QStringLiteral("bundle"));

    // Our own write, once the observer is told of it, is not reported.
    ASSERT_TRUE(services.pasteboard->writeText(QStringLiteral("ours")));
    observer.setLastChangeCount(services.pasteboard->changeCount());
    ASSERT_TRUE(client.request("copy-text " + QByteArray("theirs").toBase64(), "ok"));
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 2; }));
    EXPECT_EQ(changes.last().changeCount, before + 3);
}

TEST(X11PlatformBackendTest, AWaylandSessionGetsTheUnavailableAnswers)
{
    X11PlatformBackend backend(ProcessIdentifier(getpid()), X11SessionEnvironment { {}, true });
    EXPECT_FALSE(backend.hasDisplay());
    const PlatformServices services = backend.services();
    EXPECT_FALSE(services.inputMonitoring->isTrusted());
    EXPECT_FALSE(services.keyCommandTap->install([](const ClipboardCommandEvent &) {}));
    EXPECT_FALSE(services.keyEventPoster->postPasteShortcut(PasteShortcut::standard));
    EXPECT_NE(services.hotKeyRegistrar->installHandler([](quint32, quint32) {}), 0);
    EXPECT_FALSE(services.pasteboard->writeText(QStringLiteral("x")));
    EXPECT_FALSE(services.workspace->frontmostApplication());
}

TEST(X11PlatformBackendTest, NoDisplayGetsTheUnavailableAnswers)
{
    X11PlatformBackend backend(
        ProcessIdentifier(getpid()), X11SessionEnvironment { QByteArrayLiteral(":4711"), false });
    EXPECT_FALSE(backend.hasDisplay());
    const PlatformServices services = backend.services();
    EXPECT_FALSE(services.inputMonitoring->isTrusted());
    EXPECT_NE(services.hotKeyRegistrar->registerHotKey(
                  QKeyCombination(Qt::AltModifier | Qt::ShiftModifier, Qt::Key_V), 1, 1),
        0);
    EXPECT_TRUE(services.pasteboard->types().isEmpty());
}

TEST(X11SessionEnvironmentTest, RecognisesWaylandSessions)
{
    struct Restored {
        const char *name;
        bool wasSet = qEnvironmentVariableIsSet(name);
        QByteArray value = qgetenv(name);
        ~Restored()
        {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    } restoredType { "XDG_SESSION_TYPE" }, restoredDisplay { "WAYLAND_DISPLAY" };
    qputenv("XDG_SESSION_TYPE", "x11");
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_FALSE(X11SessionEnvironment::fromEnvironment().isWaylandSession);
    qputenv("XDG_SESSION_TYPE", "wayland");
    EXPECT_TRUE(X11SessionEnvironment::fromEnvironment().isWaylandSession);
    qputenv("XDG_SESSION_TYPE", "tty");
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_TRUE(X11SessionEnvironment::fromEnvironment().isWaylandSession);
}

} // namespace
