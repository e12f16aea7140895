// One app per user, as two processes meet on a desktop: a later start that
// finds someone else's socket folder, and one that finds the running app too
// busy to answer.
#include "AppUnderTest.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tovra::testing;

namespace {

// Connections the listening app has not accepted, until its queue is full.
class StalledClients {
public:
    explicit StalledClients(const QString &socketPath)
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(socketPath);
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        for (int count = 0; count < 4096; ++count) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
                queueIsFull = errno == EAGAIN;
                ::close(fd);
                break;
            }
            m_fds.push_back(fd);
        }
    }
    ~StalledClients()
    {
        for (const int fd : m_fds)
            ::close(fd);
    }

    bool queueIsFull = false;

private:
    std::vector<int> m_fds;
};

// Without XDG_RUNTIME_DIR the socket's folder is tovra-<uid> in the shared
// temporary folder, where anybody may have made it first: here it is a link
// to a folder in which another program listens on "app.sock".
TEST(SingleInstanceDesktop, ASquattedSocketFolderMakesAStartFailLoudlyAndNothingReachesTheSquatter)
{
    QTemporaryDir root;
    const QString temporary = root.filePath(QStringLiteral("tmp"));
    const QString squat = root.filePath(QStringLiteral("squat"));
    ASSERT_TRUE(QDir().mkpath(temporary));
    ASSERT_TRUE(QDir().mkpath(squat));
    ASSERT_TRUE(QFile::link(squat, temporary + QStringLiteral("/tovra-%1").arg(::getuid())));
    QLocalServer squatter;
    ASSERT_TRUE(squatter.listen(squat + QStringLiteral("/app.sock")));

    AppUnderTest app;
    QProcessEnvironment environment = app.environment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    const AppUnderTest::Ended ended
        = AppUnderTest::runExecutable({ QStringLiteral("tovra://open") }, environment);

    EXPECT_EQ(ended.status, 1) << ended.standardError.constData();
    EXPECT_TRUE(ended.standardError.contains("symbolic link")) << ended.standardError.constData();
    EXPECT_FALSE(squatter.waitForNewConnection(100));
    EXPECT_FALSE(squatter.hasPendingConnections());
}

// The running app is stopped (as a machine under load might stall it) while
// other processes of the user fill its queue of connections: a later start
// waits, then says so and fails; it neither replaces the socket nor runs as a
// second app. Once the app runs again, starts reach it as before.
TEST(SingleInstanceDesktop, AStalledAppIsReportedByALaterStartNotReplacedByIt)
{
    AppUnderTest app;
    app.start();
    ASSERT_TRUE(app.isRunning());
    ASSERT_EQ(::kill(pid_t(app.processId()), SIGSTOP), 0);
    AppUnderTest::Ended later;
    {
        const StalledClients stalled(app.socketPath());
        ASSERT_TRUE(stalled.queueIsFull);
        later = app.startAgainReporting({ QStringLiteral("tovra://open") });
    }
    ::kill(pid_t(app.processId()), SIGCONT);

    EXPECT_EQ(later.status, 1) << later.standardError.constData();
    EXPECT_TRUE(later.standardError.contains("did not answer")) << later.standardError.constData();
    EXPECT_TRUE(QFile::exists(app.socketPath()));
    EXPECT_EQ(app.startAgain({}), 0);
    EXPECT_TRUE(app.isRunning());
    EXPECT_EQ(app.terminate(), 0);
}

} // namespace
