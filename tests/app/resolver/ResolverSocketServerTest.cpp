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
    static const QThreadPool &acceptQueue(const ResolverSocketServer &server) { return server.m_acceptQueue; }

    QTemporaryDir m_folder;
    std::vector<ResolverServerStatus> m_statuses;
    std::vector<QThread *> m_statusThreads;
    int m_peerValidations = 0;
};

// Probing a path --------------------------------------------------------------

TEST_F(ResolverSocketServerTest, MissingFileIsStaleWithoutConnecting)
{
    ProbeRecorder recorder;
    EXPECT_EQ(recorder.probe(path("absent.sock")), State::stale);
    EXPECT_TRUE(recorder.attempts.empty());
}

TEST_F(ResolverSocketServerTest, RegularFileDirectoryAndLinksAreUnsafeWithoutConnecting)
{
    QFile regular(path("regular.sock"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("folder.sock"));
    BoundSocket live(path("live.sock"), BoundSocket::Mode::listen);
    ASSERT_TRUE(QFile::link(path("live.sock"), path("link-to-live.sock")));
    ASSERT_TRUE(QFile::link(path("absent.sock"), path("dangling.sock")));

    for (const char *name : { "regular.sock", "folder.sock", "link-to-live.sock", "dangling.sock" }) {
        SCOPED_TRACE(name);
        ProbeRecorder recorder;
        EXPECT_EQ(recorder.probe(path(name)), State::unsafe);
        EXPECT_TRUE(recorder.attempts.empty());
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

TEST_F(ResolverSocketServerTest, LiveListenerIsActiveAfterOneAttempt)
{
    BoundSocket live(path("live.sock"), BoundSocket::Mode::listen);
    ProbeRecorder recorder;
    EXPECT_EQ(recorder.probe(path("live.sock")), State::active);
    EXPECT_EQ(recorder.attempts, std::vector<QString> { path("live.sock") });
    EXPECT_TRUE(recorder.pauses.empty());
}

TEST_F(ResolverSocketServerTest, RefusingSocketIsStaleAfterThreeAttemptsAndTwoPauses)
{
    // A server that died leaves its file behind; connecting is refused.
    BoundSocket dead(path("dead.sock"), BoundSocket::Mode::listen);
    dead.close();
    ASSERT_TRUE(QFile::exists(path("dead.sock")));

    ProbeRecorder recorder;
    EXPECT_EQ(recorder.probe(path("dead.sock")), State::stale);
    EXPECT_EQ(recorder.attempts.size(), 3u);
    EXPECT_EQ(recorder.pauses, (std::vector<std::chrono::microseconds>(2, std::chrono::microseconds(20000))));
}

TEST_F(ResolverSocketServerTest, BoundButNotListeningSocketIsStale)
{
    BoundSocket unlistened(path("unlistened.sock"), BoundSocket::Mode::bindOnly);
    ProbeRecorder recorder;
    EXPECT_EQ(recorder.probe(path("unlistened.sock")), State::stale);
    EXPECT_EQ(recorder.attempts.size(), 3u);
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
        std::size_t attempts;
    };
    const std::vector<Case> cases {
        { "accepted on the second attempt", { ECONNREFUSED, 0 }, State::active, 2 },
        { "accepted on the third attempt", { ECONNREFUSED, ECONNREFUSED, 0 }, State::active, 3 },
        { "gone on the second attempt", { ECONNREFUSED, ENOENT }, State::stale, 2 },
        { "gone on the third attempt", { ECONNREFUSED, ECONNREFUSED, ENOENT }, State::stale, 3 },
        { "permission denied at once", { EACCES }, State::unsafe, 1 },
        { "timed out after a refusal", { ECONNREFUSED, ETIMEDOUT }, State::unsafe, 2 },
        { "name too long", { ENAMETOOLONG }, State::unsafe, 1 },
        { "other error on the last attempt", { ECONNREFUSED, ECONNREFUSED, EACCES }, State::unsafe, 3 },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        ProbeRecorder recorder;
        recorder.scriptedResults = testCase.results;
        EXPECT_EQ(recorder.probe(path("scripted.sock")), testCase.expected);
        EXPECT_EQ(recorder.attempts.size(), testCase.attempts);
        EXPECT_EQ(recorder.pauses.size(), testCase.attempts - 1);
    }
}

TEST_F(ResolverSocketServerTest, DefaultProbeClassifiesRealSockets)
{
    BoundSocket live(path("live.sock"), BoundSocket::Mode::listen);
    BoundSocket dead(path("dead.sock"), BoundSocket::Mode::listen);
    dead.close();
    EXPECT_EQ(ResolverSocketServer::probeExistingSocket(path("live.sock")), State::active);
    EXPECT_EQ(ResolverSocketServer::probeExistingSocket(path("dead.sock")), State::stale);
    EXPECT_EQ(ResolverSocketServer::probeExistingSocket(path("absent.sock")), State::stale);
    EXPECT_EQ(ResolverSocketServer::probeExistingSocket(m_folder.path()), State::unsafe);
}

// Connecting -------------------------------------------------------------------

TEST_F(ResolverSocketServerTest, ConnectProbeReportsTheErrorThatEndedTheAttempt)
{
    BoundSocket live(path("live.sock"), BoundSocket::Mode::listen);
    BoundSocket dead(path("dead.sock"), BoundSocket::Mode::listen);
    dead.close();
    QFile regular(path("regular"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();

    EXPECT_EQ(ResolverSocketServer::connectProbe(path("live.sock")), 0);
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("dead.sock")), ECONNREFUSED);
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("absent.sock")), ENOENT);
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("regular")), ECONNREFUSED);
}

TEST_F(ResolverSocketServerTest, ListenerWithAFullQueueStillCountsAsLive)
{
    // With its queue full, a non-blocking connection is told to try again;
    // the server is alive all the same.
    BoundSocket busy(path("busy.sock"), BoundSocket::Mode::listen, 0);
    std::vector<int> queued;
    bool queueFull = false;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ASSERT_GE(client, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const QByteArray encoded = path("busy.sock").toUtf8();
        std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
        const int result = ::connect(client, reinterpret_cast<const sockaddr *>(&address), sizeof address);
        const int error = errno;
        queued.push_back(client);
        if (result != 0) {
            ASSERT_EQ(error, EAGAIN);
            queueFull = true;
            break;
        }
    }
    ASSERT_TRUE(queueFull);
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

TEST_F(ResolverSocketServerTest, SocketIdentityIsDeviceAndInodeOfSocketsOnly)
{
    BoundSocket live(path("live.sock"), BoundSocket::Mode::listen);
    QFile regular(path("regular"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    ASSERT_TRUE(QFile::link(path("live.sock"), path("link.sock")));

    const auto identity = ResolverSocketServer::socketIdentity(path("live.sock"));
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity, statIdentity(path("live.sock")));
    EXPECT_FALSE(ResolverSocketServer::socketIdentity(path("regular")).has_value());
    EXPECT_FALSE(ResolverSocketServer::socketIdentity(path("link.sock")).has_value());
    EXPECT_FALSE(ResolverSocketServer::socketIdentity(path("absent.sock")).has_value());
    EXPECT_FALSE(ResolverSocketServer::socketIdentity(m_folder.path()).has_value());
}

TEST_F(ResolverSocketServerTest, RemoveSocketRemovesOnlyTheOwnedFile)
{
    BoundSocket own(path("own.sock"), BoundSocket::Mode::listen);
    const auto identity = ResolverSocketServer::socketIdentity(path("own.sock"));
    ASSERT_TRUE(identity.has_value());

    ResolverSocketServer::removeSocket(path("own.sock"), *identity);
    EXPECT_FALSE(QFile::exists(path("own.sock")));
    // Removing again finds nothing and does nothing.
    ResolverSocketServer::removeSocket(path("own.sock"), *identity);
}

TEST_F(ResolverSocketServerTest, RemoveSocketLeavesAReplacedSocket)
{
    BoundSocket first(path("resolver.sock"), BoundSocket::Mode::listen);
    const auto owned = ResolverSocketServer::socketIdentity(path("resolver.sock"));
    ASSERT_TRUE(owned.has_value());
    // The first file lives on elsewhere, so the replacement gets another inode.
    ASSERT_EQ(::rename(QFile::encodeName(path("resolver.sock")).constData(),
                  QFile::encodeName(path("moved.sock")).constData()),
        0);
    BoundSocket replacement(path("resolver.sock"), BoundSocket::Mode::listen);
    ASSERT_NE(ResolverSocketServer::socketIdentity(path("resolver.sock")), owned);

    ResolverSocketServer::removeSocket(path("resolver.sock"), *owned);
    EXPECT_TRUE(QFile::exists(path("resolver.sock")));
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("resolver.sock")), 0);
}

TEST_F(ResolverSocketServerTest, RemoveSocketLeavesARegularFileWithAMatchingIdentity)
{
    QFile regular(path("resolver.sock"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    const auto staleIdentity = statIdentity(path("resolver.sock"));
    ASSERT_TRUE(staleIdentity.has_value());

    ResolverSocketServer::removeSocket(path("resolver.sock"), *staleIdentity);
    EXPECT_TRUE(QFile::exists(path("resolver.sock")));
}

TEST_F(ResolverSocketServerTest, RemoveSocketLeavesASocketOnAnotherDevice)
{
    BoundSocket own(path("own.sock"), BoundSocket::Mode::listen);
    auto identity = ResolverSocketServer::socketIdentity(path("own.sock"));
    ASSERT_TRUE(identity.has_value());
    identity->device += 1;

    ResolverSocketServer::removeSocket(path("own.sock"), *identity);
    EXPECT_TRUE(QFile::exists(path("own.sock")));
}

// The server object -------------------------------------------------------------

TEST_F(ResolverSocketServerTest, ConstructionStoresDefaultsAndTouchesNothing)
{
    BoundSocket existing(path("resolver.sock"), BoundSocket::Mode::listen);
    int probes = 0;
    auto server = makeServer(path("resolver.sock"), [&](const QString &) {
        ++probes;
        return State::active;
    });
    QCoreApplication::processEvents();

    expectIdle(*server);
    EXPECT_EQ(server->maximumRequestsInFlight, 16);
    EXPECT_EQ(acceptQueue(*server).objectName(), QStringLiteral("dev.tovra.resolver.accept"));
    EXPECT_EQ(acceptQueue(*server).maxThreadCount(), 1);
    EXPECT_EQ(acceptQueue(*server).activeThreadCount(), 0);
    EXPECT_EQ(probes, 0);
    EXPECT_EQ(m_peerValidations, 0);
    EXPECT_TRUE(m_statuses.empty());
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("resolver.sock")), 0);
}

TEST_F(ResolverSocketServerTest, EmptyCallbacksSelectTheLiveDefaults)
{
    BoundSocket live(path("live.sock"), BoundSocket::Mode::listen);
    auto server = makeServer(path("resolver.sock"));

    const auto first = environmentFactory(*server)();
    const auto second = environmentFactory(*server)();
    EXPECT_NE(dynamic_cast<LiveResolverEnvironment *>(first.get()), nullptr);
    EXPECT_NE(first, second);

    EXPECT_EQ(existingSocketProbe(*server)(path("live.sock")), State::active);
    EXPECT_EQ(existingSocketProbe(*server)(path("absent.sock")), State::stale);
}

TEST_F(ResolverSocketServerTest, StopOnANeverStartedServerOnlyPublishesStopped)
{
    BoundSocket foreign(path("resolver.sock"), BoundSocket::Mode::listen);
    auto server = makeServer(path("resolver.sock"));

    server->stop();
    // Publishing is asynchronous: nothing has reached the handler yet.
    EXPECT_TRUE(m_statuses.empty());
    QCoreApplication::processEvents();

    EXPECT_EQ(m_statuses, std::vector<ResolverServerStatus> { ResolverServerStatus::stopped });
    EXPECT_TRUE(QFile::exists(path("resolver.sock")));
    EXPECT_TRUE(isOpen(foreign.descriptor()));
    expectIdle(*server);
}

TEST_F(ResolverSocketServerTest, StoppingTwicePublishesStoppedTwice)
{
    auto server = makeServer(path("resolver.sock"));
    server->stop();
    server->stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_statuses, std::vector<ResolverServerStatus>(2, ResolverServerStatus::stopped));
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
    EXPECT_FALSE(isOpen(pair[0]));
    EXPECT_FALSE(isOpen(secondPair[0]));
    // The peers see the end of the connection.
    char byte = 0;
    EXPECT_EQ(::read(pair[1], &byte, 1), 0);
    EXPECT_EQ(::read(secondPair[1], &byte, 1), 0);
    EXPECT_FALSE(QFile::exists(path("resolver.sock")));
    expectIdle(*server);
    ::close(pair[1]);
    ::close(secondPair[1]);

    QCoreApplication::processEvents();
    EXPECT_EQ(m_statuses, std::vector<ResolverServerStatus> { ResolverServerStatus::stopped });

    // Everything was handed over on the first stop: the second closes nothing.
    server->stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_statuses.size(), 2u);
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

    EXPECT_TRUE(QFile::exists(path("resolver.sock")));
    EXPECT_EQ(ResolverSocketServer::connectProbe(path("resolver.sock")), 0);
}

TEST_F(ResolverSocketServerTest, StatusReachesTheHandlerOnTheMainThreadFromAnyThread)
{
    auto server = makeServer(path("resolver.sock"));
    std::thread worker([&] { server->stop(); });
    worker.join();
    EXPECT_TRUE(m_statuses.empty());
    QCoreApplication::processEvents();

    ASSERT_EQ(m_statuses.size(), 1u);
    EXPECT_EQ(m_statusThreads.front(), QCoreApplication::instance()->thread());
}

TEST_F(ResolverSocketServerTest, StatusQueuedBeforeTheServerEndsIsStillDelivered)
{
    auto server = makeServer(path("resolver.sock"));
    server->stop();
    server.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_statuses, std::vector<ResolverServerStatus> { ResolverServerStatus::stopped });
}

// Status raw values ------------------------------------------------------------------

TEST(ResolverServerStatus, RawValuesRoundTripExactly)
{
    for (const auto status : { ResolverServerStatus::stopped, ResolverServerStatus::listening,
             ResolverServerStatus::connected, ResolverServerStatus::failed }) {
        EXPECT_EQ(resolverServerStatusFromRawValue(rawValue(status)), status);
    }
    EXPECT_EQ(rawValue(ResolverServerStatus::listening), QStringLiteral("listening"));
    EXPECT_EQ(resolverServerStatusFromRawValue(QStringLiteral("listening")), ResolverServerStatus::listening);
    EXPECT_EQ(resolverServerStatusFromRawValue(QStringLiteral("Listening")), std::nullopt);
    EXPECT_EQ(resolverServerStatusFromRawValue(QStringLiteral("stopped ")), std::nullopt);
    EXPECT_EQ(resolverServerStatusFromRawValue(QString()), std::nullopt);
}

} // namespace tovra
