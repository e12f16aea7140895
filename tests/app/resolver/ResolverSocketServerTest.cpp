#include "app/resolver/ResolverSocketServer.h"
#include "app/resolver/ResolverEnvironmentProviding.h"

#include "SocketTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovra {

using testing::BoundSocket;
using testing::pathOfUtf8Length;
using State = ResolverExistingSocketState;

namespace {

// Records every connection attempt and pause of a probe; connections go to
// the real socket unless a test scripts their results.
struct ProbeRecorder {
    std::vector<QString> attempts;
    std::vector<std::chrono::microseconds> pauses;
    std::vector<int> scriptedResults;

    ResolverSocketServer::ConnectAttempt connect()
    {
        return [this](const QString &path) {
            attempts.push_back(path);
            if (attempts.size() <= scriptedResults.size())
                return scriptedResults[attempts.size() - 1];
            return ResolverSocketServer::connectProbe(path);
        };
    }
    ResolverSocketServer::Pause pause()
    {
        return [this](std::chrono::microseconds duration) { pauses.push_back(duration); };
    }
    State probe(const QString &path)
    {
        return ResolverSocketServer::probeExistingSocket(path, connect(), pause());
    }
};

std::optional<ResolverSocketIdentity> statIdentity(const QString &path)
{
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return ResolverSocketIdentity { static_cast<quint64>(status.st_dev),
        static_cast<quint64>(status.st_ino) };
}

bool isOpen(int descriptor)
{
    return ::fcntl(descriptor, F_GETFD) != -1;
}

} // namespace

class ResolverSocketServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    // Statuses still queued belong to this test's handler, not the next one's.
    void TearDown() override { QCoreApplication::processEvents(); }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    std::unique_ptr<ResolverSocketServer> makeServer(
        const QString &socketPath, ResolverSocketServer::ExistingSocketProbe probe = {})
    {
        return std::make_unique<ResolverSocketServer>(
            nullptr, socketPath,
            [this](qint32) {
                ++m_peerValidations;
                return std::optional<ResolverPeerIdentity>();
            },
            nullptr, std::move(probe),
            [this](ResolverServerStatus status) {
                m_statuses.push_back(status);
                m_statusThreads.push_back(QThread::currentThread());
            });
    }

    // What a started server would hold: a listening descriptor, accepted
    // clients and the identity of the socket file it created.
    static void adoptStartedState(ResolverSocketServer &server, int listening, QSet<qint32> clients,
        std::optional<ResolverSocketIdentity> identity)
    {
        const std::lock_guard lock(server.m_stateLock);
        server.m_listeningSocket = listening;
        server.m_running = true;
        server.m_clientDescriptors = std::move(clients);
        server.m_ownedSocketIdentity = identity;
    }

    static void expectIdle(const ResolverSocketServer &server)
    {
        const std::lock_guard lock(server.m_stateLock);
        EXPECT_EQ(server.m_listeningSocket, -1);
        EXPECT_FALSE(server.m_running);
        EXPECT_TRUE(server.m_clientDescriptors.isEmpty());
        EXPECT_FALSE(server.m_ownedSocketIdentity.has_value());
    }

    static const ResolverSocketServer::EnvironmentFactory &environmentFactory(
        const ResolverSocketServer &server)
    {
        return server.m_environmentFactory;
    }
    static const ResolverSocketServer::ExistingSocketProbe &existingSocketProbe(
        const ResolverSocketServer &server)
    {
        return server.m_existingSocketProbe;
    }

    QTemporaryDir m_folder;
    std::vector<ResolverServerStatus> m_statuses;
    std::vector<QThread *> m_statusThreads;
    int m_peerValidations = 0;
};

// Probing a path --------------------------------------------------------------

TEST_F(ResolverSocketServerTest, ProbeClassifiesRealFilesAndConnectsOnlyToSockets)
{
    using std::chrono::microseconds;
    BoundSocket live(path("live.sock"), BoundSocket::Mode::listen);
    // A server that died leaves its file behind; connecting is refused.
    BoundSocket dead(path("dead.sock"), BoundSocket::Mode::listen);
    dead.close();
    BoundSocket unlistened(path("unlistened.sock"), BoundSocket::Mode::bindOnly);
    QFile regular(path("regular.sock"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("folder.sock"));
    ASSERT_TRUE(QFile::link(path("live.sock"), path("link-to-live.sock")));
    ASSERT_TRUE(QFile::link(path("absent.sock"), path("dangling.sock")));

    struct Case {
        const char *name;
        State expected;
        std::size_t attempts;
        std::optional<int> connectError;
    };
    const std::vector<Case> cases {
        { "live.sock", State::active, 1, 0 },
        { "dead.sock", State::stale, 3, ECONNREFUSED },
        { "unlistened.sock", State::stale, 3, ECONNREFUSED },
        { "absent.sock", State::stale, 0, ENOENT },
        { "regular.sock", State::unsafe, 0, ECONNREFUSED },
        { "folder.sock", State::unsafe, 0, std::nullopt },
        { "link-to-live.sock", State::unsafe, 0, std::nullopt },
        { "dangling.sock", State::unsafe, 0, std::nullopt },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        ProbeRecorder recorder;
        EXPECT_EQ(recorder.probe(path(testCase.name)), testCase.expected);
        EXPECT_EQ(recorder.attempts, std::vector<QString>(testCase.attempts, path(testCase.name)));
        EXPECT_EQ(recorder.pauses,
            std::vector<microseconds>(
                testCase.attempts > 0 ? testCase.attempts - 1 : 0, microseconds(20000)));
        // The default probe reaches the same verdict on its own.
        EXPECT_EQ(ResolverSocketServer::probeExistingSocket(path(testCase.name)), testCase.expected);
        if (testCase.connectError) {
            EXPECT_EQ(ResolverSocketServer::connectProbe(path(testCase.name)), *testCase.connectError);
        }
    }
}

TEST_F(ResolverSocketServerTest, SocketOfAnotherUserIsUnsafeWithoutConnecting)
{
    BoundSocket live(path("other.sock"), BoundSocket::Mode::listen);
    const uid_t otherUser = ::getuid() == 65534 ? 65533 : 65534;
    if (::lchown(QFile::encodeName(path("other.sock")).constData(), otherUser, static_cast<gid_t>(-1)) != 0)
        GTEST_SKIP() << "changing a file's owner needs privileges this run lacks";

    ProbeRecorder recorder;
    EXPECT_EQ(recorder.probe(path("other.sock")), State::unsafe);
    EXPECT_TRUE(recorder.attempts.empty());
}

TEST_F(ResolverSocketServerTest, SocketRemovedBetweenInspectionAndConnectionIsStale)
{
    BoundSocket live(path("vanishing.sock"), BoundSocket::Mode::listen);
    int attempts = 0;
    const auto removeThenConnect = [&](const QString &socketPath) {
        ++attempts;
        QFile::remove(socketPath);
        return ResolverSocketServer::connectProbe(socketPath);
    };
    EXPECT_EQ(ResolverSocketServer::probeExistingSocket(
                  path("vanishing.sock"), removeThenConnect, [](std::chrono::microseconds) {}),
        State::stale);
    EXPECT_EQ(attempts, 1);
}

TEST_F(ResolverSocketServerTest, RetriesDecideOnTheLaterAnswers)
{
    BoundSocket live(path("scripted.sock"), BoundSocket::Mode::listen);
    struct Case {
        const char *name;
        std::vector<int> results;
        State expected;
    };
    const std::vector<Case> cases {
        { "accepted on the second attempt", { ECONNREFUSED, 0 }, State::active },
        { "accepted on the third attempt", { ECONNREFUSED, ECONNREFUSED, 0 }, State::active },
        { "gone on the second attempt", { ECONNREFUSED, ENOENT }, State::stale },
        { "gone on the third attempt", { ECONNREFUSED, ECONNREFUSED, ENOENT }, State::stale },
        { "permission denied at once", { EACCES }, State::unsafe },
        { "timed out after a refusal", { ECONNREFUSED, ETIMEDOUT }, State::unsafe },
        { "name too long", { ENAMETOOLONG }, State::unsafe },
        { "other error on the last attempt", { ECONNREFUSED, ECONNREFUSED, EACCES }, State::unsafe },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        ProbeRecorder recorder;
        recorder.scriptedResults = testCase.results;
        EXPECT_EQ(recorder.probe(path("scripted.sock")), testCase.expected);
        EXPECT_EQ(recorder.attempts.size(), testCase.results.size());
        EXPECT_EQ(recorder.pauses.size(), testCase.results.size() - 1);
    }
}

TEST_F(ResolverSocketServerTest, ListenerWithAFullQueueStillCountsAsLive)
{
    // With its queue full, a non-blocking connection is told to try again;
    // the server is alive all the same.
    BoundSocket busy(path("busy.sock"), BoundSocket::Mode::listen, 0);
    const QByteArray encoded = path("busy.sock").toUtf8();
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    std::vector<int> queued;
    int error = 0;
    while (error == 0 && queued.size() < 8) {
        queued.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
        if (::connect(queued.back(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            error = errno;
    }
    ASSERT_EQ(error, EAGAIN);
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("busy.sock")), 0);
    EXPECT_EQ(ResolverSocketServer::probeExistingSocket(path("busy.sock")), State::active);
    for (const int client : queued)
        ::close(client);
}

TEST_F(ResolverSocketServerTest, PathOf103BytesConnectsAnd104BytesIsTooLong)
{
    const QString fits = pathOfUtf8Length(m_folder.path(), 103);
    const QString tooLong = pathOfUtf8Length(m_folder.path(), 104);
    ASSERT_LT(fits.size(), 103) << "the padding must contain multi-byte characters";
    BoundSocket fitting(fits, BoundSocket::Mode::listen);
    BoundSocket overlong(tooLong, BoundSocket::Mode::listen);

    EXPECT_EQ(ResolverSocketServer::connectProbe(fits), 0);
    EXPECT_EQ(ResolverSocketServer::probeExistingSocket(fits), State::active);
    EXPECT_EQ(ResolverSocketServer::connectProbe(tooLong), ENAMETOOLONG);
    EXPECT_EQ(ResolverSocketServer::probeExistingSocket(tooLong), State::unsafe);
}

// Identity and removal -----------------------------------------------------------

TEST_F(ResolverSocketServerTest, RemoveSocketRemovesOnlyTheSocketOfTheIdentityItOwns)
{
    BoundSocket own(path("own.sock"), BoundSocket::Mode::listen);
    const auto owned = ResolverSocketServer::socketIdentity(path("own.sock"));
    ASSERT_TRUE(owned.has_value());
    EXPECT_EQ(owned, statIdentity(path("own.sock")));
    ASSERT_TRUE(QFile::link(path("own.sock"), path("link.sock")));
    for (const QString &other : { path("link.sock"), path("absent.sock"), m_folder.path() }) {
        SCOPED_TRACE(other.toStdString());
        EXPECT_FALSE(ResolverSocketServer::socketIdentity(other).has_value());
    }
    ResolverSocketServer::removeSocket(path("own.sock"), *owned);
    EXPECT_FALSE(QFile::exists(path("own.sock")));
    // Removing again finds nothing and does nothing.
    ResolverSocketServer::removeSocket(path("own.sock"), *owned);

    // The owned file lives on elsewhere, so its replacement gets another inode.
    BoundSocket first(path("resolver.sock"), BoundSocket::Mode::listen);
    const auto replacedIdentity = ResolverSocketServer::socketIdentity(path("resolver.sock"));
    ASSERT_EQ(::rename(QFile::encodeName(path("resolver.sock")).constData(),
                  QFile::encodeName(path("moved.sock")).constData()),
        0);
    BoundSocket replacement(path("resolver.sock"), BoundSocket::Mode::listen);
    ASSERT_NE(ResolverSocketServer::socketIdentity(path("resolver.sock")), replacedIdentity);

    QFile regularFile(path("regular.sock"));
    ASSERT_TRUE(regularFile.open(QIODevice::WriteOnly));
    regularFile.close();
    EXPECT_FALSE(ResolverSocketServer::socketIdentity(path("regular.sock")).has_value());
    BoundSocket elsewhere(path("elsewhere.sock"), BoundSocket::Mode::listen);
    auto otherDevice = ResolverSocketServer::socketIdentity(path("elsewhere.sock"));
    otherDevice->device += 1;

    const std::vector<std::pair<const char *, std::optional<ResolverSocketIdentity>>> kept {
        { "resolver.sock", replacedIdentity },
        { "regular.sock", statIdentity(path("regular.sock")) },
        { "elsewhere.sock", otherDevice },
    };
    for (const auto &[name, identity] : kept) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(identity.has_value());
        ResolverSocketServer::removeSocket(path(name), *identity);
        EXPECT_TRUE(QFile::exists(path(name)));
    }
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("resolver.sock")), 0);
}

// The server object -------------------------------------------------------------

TEST_F(ResolverSocketServerTest, ConstructionTouchesNothingAndEmptyCallbacksSelectTheLiveDefaults)
{
    BoundSocket existing(path("resolver.sock"), BoundSocket::Mode::listen);
    int probes = 0;
    auto server = makeServer(path("resolver.sock"), [&](const QString &) {
        ++probes;
        return State::active;
    });
    QCoreApplication::processEvents();

    expectIdle(*server);
    EXPECT_EQ(probes, 0);
    EXPECT_EQ(m_peerValidations, 0);
    EXPECT_TRUE(m_statuses.empty());
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("resolver.sock")), 0);

    auto defaults = makeServer(path("other.sock"));
    const auto first = environmentFactory(*defaults)();
    EXPECT_NE(dynamic_cast<LiveResolverEnvironment *>(first.get()), nullptr);
    EXPECT_NE(first, environmentFactory(*defaults)());
    EXPECT_EQ(existingSocketProbe(*defaults)(path("resolver.sock")), State::active);
    EXPECT_EQ(existingSocketProbe(*defaults)(path("absent.sock")), State::stale);
}

TEST_F(ResolverSocketServerTest, StopOfANeverStartedServerFromAnyThreadOnlyPublishesStopped)
{
    BoundSocket foreign(path("resolver.sock"), BoundSocket::Mode::listen);
    auto server = makeServer(path("resolver.sock"));
    std::thread worker([&] { server->stop(); });
    worker.join();
    expectIdle(*server);
    EXPECT_TRUE(QFile::exists(path("resolver.sock")));
    EXPECT_TRUE(isOpen(foreign.descriptor()));

    // Publishing is asynchronous, and what was queued outlives the server.
    EXPECT_TRUE(m_statuses.empty());
    server.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_statuses, std::vector<ResolverServerStatus> { ResolverServerStatus::stopped });
    EXPECT_EQ(m_statusThreads, std::vector<QThread *> { QCoreApplication::instance()->thread() });
}

TEST_F(ResolverSocketServerTest, StopClosesEverythingHeldAndRemovesTheOwnedFile)
{
    BoundSocket listening(path("resolver.sock"), BoundSocket::Mode::listen);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    int secondPair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, secondPair), 0);
    const int listeningDescriptor = listening.release();

    auto server = makeServer(path("resolver.sock"));
    adoptStartedState(*server, listeningDescriptor, { pair[0], secondPair[0] },
        ResolverSocketServer::socketIdentity(path("resolver.sock")));
    server->stop();

    EXPECT_FALSE(isOpen(listeningDescriptor));
    // The peers see the end of the connection.
    char byte = 0;
    EXPECT_EQ(::recv(pair[1], &byte, 1, MSG_DONTWAIT), 0);
    EXPECT_EQ(::recv(secondPair[1], &byte, 1, MSG_DONTWAIT), 0);
    EXPECT_FALSE(QFile::exists(path("resolver.sock")));
    expectIdle(*server);
    ::close(pair[1]);
    ::close(secondPair[1]);

    // Everything was handed over on the first stop: the second closes nothing.
    server->stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_statuses, std::vector<ResolverServerStatus>(2, ResolverServerStatus::stopped));
}

TEST_F(ResolverSocketServerTest, StopLeavesASocketFileThatWasReplaced)
{
    BoundSocket original(path("resolver.sock"), BoundSocket::Mode::listen);
    const auto owned = ResolverSocketServer::socketIdentity(path("resolver.sock"));
    ASSERT_EQ(::rename(QFile::encodeName(path("resolver.sock")).constData(),
                  QFile::encodeName(path("elsewhere.sock")).constData()),
        0);
    BoundSocket newcomer(path("resolver.sock"), BoundSocket::Mode::listen);

    auto server = makeServer(path("resolver.sock"));
    adoptStartedState(*server, original.release(), {}, owned);
    server->stop();

    EXPECT_EQ(ResolverSocketServer::connectProbe(path("resolver.sock")), 0);
}

TEST(ResolverServerStatus, RawValuesRoundTripExactly)
{
    for (const auto status : { ResolverServerStatus::stopped, ResolverServerStatus::listening,
             ResolverServerStatus::connected, ResolverServerStatus::failed })
        EXPECT_EQ(resolverServerStatusFromRawValue(rawValue(status)), status);
    EXPECT_EQ(rawValue(ResolverServerStatus::listening), QStringLiteral("listening"));
    for (const QString &other : { QStringLiteral("Listening"), QStringLiteral("stopped "), QString() })
        EXPECT_EQ(resolverServerStatusFromRawValue(other), std::nullopt);
}

} // namespace tovra
