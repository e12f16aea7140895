#include "app/resolver/ResolverPeerValidator.h"
#include "app/resolver/RunningApplicationBundles.h"

#include "FakeWorkspace.h"
#include "SocketTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovra {

using testing::BoundSocket;
using testing::FakeWorkspace;
using Credentials = ResolverPeerValidator::PeerCredentials;

namespace {

const QString bundle = QStringLiteral("/Applications/Obsidian.app");
const QString mainExecutable = bundle + "/Contents/MacOS/Obsidian";

// Which lookups a validation made, in order.
struct LookupLog {
    QStringList calls;
    std::optional<QString> executable = mainExecutable;
    std::optional<QString> bundlePath = bundle;

    ResolverPeerValidator::ExecutablePathLookup executableLookup()
    {
        return [this](qint32 pid) {
            calls.append(QStringLiteral("executable %1").arg(pid));
            return executable;
        };
    }
    ResolverPeerValidator::BundlePathLookup bundleLookup()
    {
        return [this] {
            calls.append(QStringLiteral("bundle"));
            return bundlePath;
        };
    }
    std::optional<ResolverPeerIdentity> validate(const Credentials &credentials, quint32 currentUser = 501)
    {
        return ResolverPeerValidator::validate(credentials, currentUser, executableLookup(), bundleLookup());
    }
};

} // namespace

// The gates -------------------------------------------------------------------------

TEST(ResolverPeerValidator, AcceptedPeerCarriesItsCredentialsAndExecutable)
{
    LookupLog log;
    EXPECT_EQ(log.validate({ 501, 20, 4242 }), (ResolverPeerIdentity { 501, 20, 4242, mainExecutable }));
    // The executable is read before the running bundle.
    EXPECT_EQ(log.calls, (QStringList { "executable 4242", "bundle" }));
}

TEST(ResolverPeerValidator, PeerOfAnotherUserIsRefusedBeforeAnythingIsLookedUp)
{
    LookupLog log;
    EXPECT_EQ(log.validate({ 502, 20, 4242 }), std::nullopt);
    EXPECT_EQ(log.validate({ 0, 0, 4242 }), std::nullopt);
    EXPECT_TRUE(log.calls.isEmpty());
}

TEST(ResolverPeerValidator, PeerWithoutARealProcessIsRefusedBeforeItsExecutableIsLookedUp)
{
    LookupLog log;
    EXPECT_EQ(log.validate({ 501, 20, 0 }), std::nullopt);
    EXPECT_EQ(log.validate({ 501, 20, -7 }), std::nullopt);
    EXPECT_TRUE(log.calls.isEmpty());
    EXPECT_NE(log.validate({ 501, 20, 1 }), std::nullopt);
}

TEST(ResolverPeerValidator, UnknownExecutableIsRefusedWithoutAskingForObsidian)
{
    LookupLog log;
    log.executable = std::nullopt;
    EXPECT_EQ(log.validate({ 501, 20, 4242 }), std::nullopt);
    EXPECT_EQ(log.calls, QStringList { "executable 4242" });
}

TEST(ResolverPeerValidator, PeerIsRefusedWhileObsidianIsNotRunning)
{
    LookupLog log;
    log.bundlePath = std::nullopt;
    EXPECT_EQ(log.validate({ 501, 20, 4242 }), std::nullopt);
    EXPECT_EQ(log.calls, (QStringList { "executable 4242", "bundle" }));
}

TEST(ResolverPeerValidator, ExecutableOutsideTheRunningBundleIsRefused)
{
    LookupLog log;
    log.executable = QStringLiteral("/usr/bin/nc");
    EXPECT_EQ(log.validate({ 501, 20, 4242 }), std::nullopt);
    log.executable = bundle
        + "/Contents/Frameworks/Obsidian Helper (Renderer).app/Contents/MacOS/Obsidian Helper (Renderer)";
    EXPECT_EQ(log.validate({ 501, 20, 4242 })->executablePath, *log.executable);
}

// Which Obsidian counts ---------------------------------------------------------------

TEST(ResolverPeerValidator, OnlyTheFirstListedObsidianCounts)
{
    const QList<RunningApplicationBundle> running {
        { 10, QStringLiteral("org.gnome.TextEditor"), QStringLiteral("/usr/bin") },
        { 11, std::nullopt, QStringLiteral("/opt/Unknown") },
        { 12, QStringLiteral("md.obsidian"), QString() },
        { 13, QStringLiteral("MD.OBSIDIAN"), QStringLiteral("/Applications/Shouting.app") },
        { 14, QStringLiteral("md.obsidian"), QStringLiteral("/Applications/Obsidian.app") },
        { 15, QStringLiteral("md.obsidian"), QStringLiteral("/Users/me/Obsidian.app") },
    };
    EXPECT_EQ(ResolverPeerValidator::runningObsidianBundlePath(running),
        QStringLiteral("/Applications/Obsidian.app"));

    LookupLog log;
    log.bundlePath = ResolverPeerValidator::runningObsidianBundlePath(running);
    log.executable = QStringLiteral("/Users/me/Obsidian.app/Contents/MacOS/Obsidian");
    EXPECT_EQ(log.validate({ 501, 20, 4242 }), std::nullopt);
}

TEST(ResolverPeerValidator, ObsidianIsKnownByItsApplicationIdentifiers)
{
    for (const char *identifier : { "md.obsidian", "md.obsidian.Obsidian", "obsidian" }) {
        SCOPED_TRACE(identifier);
        EXPECT_EQ(ResolverPeerValidator::runningObsidianBundlePath(
                      { { 7, QString::fromLatin1(identifier), "/b" } }),
            QStringLiteral("/b"));
    }
    for (const char *identifier : { "md.obsidian.helper", "Obsidian", "md.obsidian.obsidian", "" }) {
        SCOPED_TRACE(identifier);
        EXPECT_EQ(ResolverPeerValidator::runningObsidianBundlePath(
                      { { 7, QString::fromLatin1(identifier), "/b" } }),
            std::nullopt);
    }
    EXPECT_EQ(ResolverPeerValidator::runningObsidianBundlePath({}), std::nullopt);
}

// Reading the kernel ---------------------------------------------------------------------

TEST(ResolverPeerValidator, CredentialsOfAConnectedSocketAreTheConnectingProcess)
{
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    const auto credentials = ResolverPeerValidator::peerCredentials(pair[0]);
    ASSERT_TRUE(credentials.has_value());
    EXPECT_EQ(credentials->uid, ::geteuid());
    EXPECT_EQ(credentials->gid, ::getegid());
    EXPECT_EQ(credentials->pid, ::getpid());
    ::close(pair[0]);
    ::close(pair[1]);

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    EXPECT_EQ(ResolverPeerValidator::peerCredentials(pipeEnds[0]), std::nullopt);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    EXPECT_EQ(ResolverPeerValidator::peerCredentials(-1), std::nullopt);
}

TEST(ResolverPeerValidator, ExecutablePathOfAProcess)
{
    EXPECT_EQ(ResolverPeerValidator::executablePath(::getpid()),
        QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    EXPECT_EQ(ResolverPeerValidator::executablePath(0), std::nullopt);
    EXPECT_EQ(ResolverPeerValidator::executablePath(-1), std::nullopt);
}

TEST(ResolverPeerValidator, ExecutablePathIsDecodedLeniently)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_TRUE(QDir(root.path()).mkpath("41"));
    ASSERT_TRUE(QDir(root.path()).mkpath("42"));
    ASSERT_TRUE(QDir(root.path()).mkpath("43"));
    const QByteArray invalidUtf8 = "/opt/Obsidi\xff"
                                   "n/obsidian";
    ASSERT_EQ(::symlink(invalidUtf8.constData(), QFile::encodeName(root.filePath("41/exe")).constData()), 0);
    const QByteArray longest = "/" + QByteArray(4094, 'x');
    ASSERT_EQ(::symlink(longest.constData(), QFile::encodeName(root.filePath("42/exe")).constData()), 0);

    EXPECT_EQ(ResolverPeerValidator::executablePath(41, root.path()),
        QStringLiteral("/opt/Obsidi\uFFFDn/obsidian"));
    EXPECT_EQ(ResolverPeerValidator::executablePath(42, root.path()), QString::fromLatin1(longest));
    EXPECT_EQ(ResolverPeerValidator::executablePath(43, root.path()), std::nullopt);
    EXPECT_EQ(ResolverPeerValidator::executablePath(44, root.path()), std::nullopt);
}

// Running applications and their bundles -----------------------------------------------------

TEST(RunningApplicationBundles, BundleOfAnExecutableFollowsItsLayout)
{
    EXPECT_EQ(bundlePathOfExecutable(mainExecutable), bundle);
    EXPECT_EQ(
        bundlePathOfExecutable(QStringLiteral("/opt/Obsidian/obsidian")), QStringLiteral("/opt/Obsidian"));
    EXPECT_EQ(bundlePathOfExecutable(QStringLiteral("/tmp/.mount_ObsidAb12/obsidian")),
        QStringLiteral("/tmp/.mount_ObsidAb12"));
    EXPECT_EQ(bundlePathOfExecutable(QStringLiteral("/Contents/MacOS/Obsidian")),
        QStringLiteral("/Contents/MacOS"));
}

TEST(RunningApplicationBundles, KnownLiveApplicationsInProcessOrder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const auto addProcess = [&](const QString &name, const char *executable) {
        ASSERT_TRUE(QDir(root.path()).mkpath(name));
        if (executable) {
            ASSERT_EQ(::symlink(executable, QFile::encodeName(root.filePath(name + "/exe")).constData()), 0);
        }
    };
    addProcess("300", "/Applications/Obsidian.app/Contents/MacOS/Obsidian");
    addProcess("20", "/opt/Obsidian/obsidian");
    addProcess("1000", "/usr/bin/gnome-text-editor");
    addProcess("55", "/usr/bin/terminated");
    addProcess("56", nullptr);
    addProcess("57", "/usr/bin/unknown-to-the-workspace");
    addProcess("self", "/usr/bin/self");
    addProcess("net", nullptr);

    FakeWorkspace workspace;
    workspace.add(300, QStringLiteral("md.obsidian"));
    workspace.add(20, QStringLiteral("obsidian"));
    workspace.add(1000, QStringLiteral("org.gnome.TextEditor"));
    workspace.add(55, QStringLiteral("terminated"), true);
    workspace.add(56, QStringLiteral("no.executable"));

    const QList<RunningApplicationBundle> expected {
        { 20, QStringLiteral("obsidian"), QStringLiteral("/opt/Obsidian") },
        { 300, QStringLiteral("md.obsidian"), QStringLiteral("/Applications/Obsidian.app") },
        { 1000, QStringLiteral("org.gnome.TextEditor"), QStringLiteral("/usr/bin") },
    };
    EXPECT_EQ(runningApplicationBundles(workspace, root.path()), expected);
    EXPECT_EQ(ResolverPeerValidator::runningObsidianBundlePath(expected), QStringLiteral("/opt/Obsidian"));
}

// Whole validations over real sockets and processes --------------------------------------------

namespace {

// A child process that connects to a listening socket as itself, then turns
// into the program at `executable` (a copy of cat that waits on a pipe), so
// that the kernel names that program as the peer's executable.
class PeerProcess {
public:
    PeerProcess(
        const QString &socketPath, const QString &executable, std::optional<uid_t> asUser = std::nullopt)
    {
        const QByteArray encodedSocket = socketPath.toUtf8();
        const QByteArray encodedExecutable = QFile::encodeName(executable);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::memcpy(
            address.sun_path, encodedSocket.constData(), static_cast<std::size_t>(encodedSocket.size()));

        int input[2];
        int execReport[2];
        if (::pipe(input) != 0 || ::pipe2(execReport, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only async-signal-safe calls from here on.
            ::close(input[1]);
            ::close(execReport[0]);
            int status = 0;
            if (asUser && (::setgid(*asUser) != 0 || ::setuid(*asUser) != 0))
                status = 1;
            const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (status == 0
                && ::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
                status = 2;
            if (status == 0 && ::dup2(input[0], STDIN_FILENO) < 0)
                status = 3;
            if (status == 0) {
                char *const arguments[] = { const_cast<char *>("cat"), nullptr };
                ::execv(encodedExecutable.constData(), arguments);
                status = 4;
            }
            [[maybe_unused]] const auto written = ::write(execReport[1], &status, sizeof status);
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(execReport[1]);
        m_input = input[1];
        // The report pipe closes on a successful exec; a failure writes why.
        int status = 0;
        const ssize_t read = ::read(execReport[0], &status, sizeof status);
        ::close(execReport[0]);
        m_failure = read > 0 ? status : 0;
    }
    ~PeerProcess()
    {
        ::close(m_input);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }

    pid_t pid() const { return m_pid; }
    // 0 once the child runs the program; otherwise the step that failed.
    int failure() const { return m_failure; }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_failure = 0;
};

class ResolverPeerProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_root = QFileInfo(m_folder.path()).canonicalFilePath();
        m_listener = std::make_unique<BoundSocket>(m_root + "/resolver.sock", BoundSocket::Mode::listen);
    }

    // Installs a copy of cat at `relativePath` under the test folder.
    QString install(const QString &relativePath)
    {
        const QString target = m_root + "/" + relativePath;
        EXPECT_TRUE(QDir().mkpath(QFileInfo(target).path()));
        EXPECT_TRUE(QFile::copy(QStringLiteral("/bin/cat"), target));
        QFile::setPermissions(
            target, QFile::permissions(target) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        return target;
    }

    int acceptPeer()
    {
        const int accepted = ::accept(m_listener->descriptor(), nullptr, nullptr);
        EXPECT_GE(accepted, 0);
        return accepted;
    }

    QTemporaryDir m_folder;
    QString m_root;
    std::unique_ptr<BoundSocket> m_listener;
};

} // namespace

TEST_F(ResolverPeerProcessTest, ObsidianMainExecutableOfTheCurrentUserIsAccepted)
{
    const QString executable = install("Obsidian.app/Contents/MacOS/Obsidian");
    PeerProcess peer(m_root + "/resolver.sock", executable);
    ASSERT_EQ(peer.failure(), 0);
    const int accepted = acceptPeer();

    FakeWorkspace workspace;
    workspace.add(peer.pid(), QStringLiteral("md.obsidian"));
    const auto identity = ResolverPeerValidator::validator(workspace)(accepted);
    ::close(accepted);

    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(*identity,
        (ResolverPeerIdentity { static_cast<quint32>(::getuid()), static_cast<quint32>(::getgid()),
            static_cast<qint32>(peer.pid()), executable }));
}

TEST_F(ResolverPeerProcessTest, ObsidianHelperIsAcceptedWhileItsMainApplicationRuns)
{
    const QString main = install("Obsidian.app/Contents/MacOS/Obsidian");
    const QString helper = install("Obsidian.app/Contents/Frameworks/Obsidian Helper "
                                   "(Renderer).app/Contents/MacOS/Obsidian Helper (Renderer)");
    PeerProcess application(m_root + "/resolver.sock", main);
    ASSERT_EQ(application.failure(), 0);
    const int applicationConnection = acceptPeer();
    PeerProcess renderer(m_root + "/resolver.sock", helper);
    ASSERT_EQ(renderer.failure(), 0);
    const int rendererConnection = acceptPeer();

    FakeWorkspace workspace;
    workspace.add(application.pid(), QStringLiteral("md.obsidian"));
    const auto identity = ResolverPeerValidator::validator(workspace)(rendererConnection);
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->pid, renderer.pid());
    EXPECT_EQ(identity->executablePath, helper);

    // Once Obsidian is no longer running, the same helper is refused.
    workspace.add(application.pid(), QStringLiteral("md.obsidian"), true);
    EXPECT_EQ(ResolverPeerValidator::validator(workspace)(rendererConnection), std::nullopt);
    ::close(applicationConnection);
    ::close(rendererConnection);
}

TEST_F(ResolverPeerProcessTest, ProgramOutsideTheRunningBundleIsRefused)
{
    const QString obsidian = install("Obsidian.app/Contents/MacOS/Obsidian");
    const QString impostor = install("Impostor/Obsidian.app/Contents/MacOS/Obsidian");
    PeerProcess application(m_root + "/resolver.sock", obsidian);
    ASSERT_EQ(application.failure(), 0);
    const int applicationConnection = acceptPeer();
    PeerProcess peer(m_root + "/resolver.sock", impostor);
    ASSERT_EQ(peer.failure(), 0);
    const int peerConnection = acceptPeer();

    FakeWorkspace workspace;
    workspace.add(application.pid(), QStringLiteral("md.obsidian"));
    EXPECT_EQ(ResolverPeerValidator::validator(workspace)(peerConnection), std::nullopt);
    // The same process is accepted when it is the Obsidian that is running.
    EXPECT_NE(ResolverPeerValidator::validate(peerConnection,
                  [&] {
                      return QList<RunningApplicationBundle> { { peer.pid(), QStringLiteral("md.obsidian"),
                          m_root + "/Impostor/Obsidian.app" } };
                  }),
        std::nullopt);
    ::close(applicationConnection);
    ::close(peerConnection);
}

TEST_F(ResolverPeerProcessTest, ObsidianOfAnotherUserIsRefused)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "running a process as another user needs privileges this run lacks";
    ASSERT_EQ(::chmod(QFile::encodeName(m_root).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(m_root + "/resolver.sock").constData(), 0777), 0);
    const QString executable = install("Obsidian.app/Contents/MacOS/Obsidian");
    const uid_t otherUser = 65534;
    PeerProcess peer(m_root + "/resolver.sock", executable, otherUser);
    ASSERT_EQ(peer.failure(), 0);
    const int accepted = acceptPeer();

    const auto credentials = ResolverPeerValidator::peerCredentials(accepted);
    ASSERT_TRUE(credentials.has_value());
    EXPECT_EQ(credentials->uid, otherUser);
    FakeWorkspace workspace;
    workspace.add(peer.pid(), QStringLiteral("md.obsidian"));
    EXPECT_EQ(ResolverPeerValidator::validator(workspace)(accepted), std::nullopt);
    // Refused on its user alone: the workspace was never asked.
    EXPECT_EQ(workspace.lookups, 0);
    ::close(accepted);
}

} // namespace tovra
