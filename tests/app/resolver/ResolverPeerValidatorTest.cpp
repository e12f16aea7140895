#include "app/resolver/ResolverPeerValidator.h"
#include "app/resolver/RunningApplicationBundles.h"

#include "FakeWorkspace.h"
#include "SocketTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// A process entry as /proc lays it out: a folder, and a link to the
// executable unless `target` is empty.
void addProcessEntry(const QTemporaryDir &root, const QString &name, const QByteArray &target)
{
    ASSERT_TRUE(QDir(root.path()).mkpath(name));
    if (!target.isEmpty()) {
        ASSERT_EQ(
            ::symlink(target.constData(), QFile::encodeName(root.filePath(name + "/exe")).constData()), 0);
    }
}

// The description Flatpak keeps at a sandbox's root, as the process entry's
// root folder shows it.
void addSandboxInfo(const QTemporaryDir &root, const QString &name, const QByteArray &contents)
{
    ASSERT_TRUE(QDir(root.path()).mkpath(name + "/root"));
    QFile info(root.filePath(name + "/root/.flatpak-info"));
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    ASSERT_EQ(info.write(contents), contents.size());
}

const QString obsidianDeploy
    = QStringLiteral("/var/lib/flatpak/app/md.obsidian.Obsidian/x86_64/stable/0123abcd/files");

QByteArray sandboxInfo(const QString &applicationPath)
{
    return "[Application]\nname=md.obsidian.Obsidian\n\n[Instance]\ninstance-id=42\napp-path="
        + applicationPath.toUtf8() + "\nbranch=stable\n";
}

} // namespace

TEST(ResolverPeerValidator, GatesAreCheckedInOrderAndStopAtTheFirstRefusal)
{
    const QString renderer = bundle
        + "/Contents/Frameworks/Obsidian Helper (Renderer).app/Contents/MacOS/Obsidian Helper (Renderer)";
    struct Case {
        const char *name;
        Credentials credentials;
        std::optional<QString> executable;
        std::optional<QString> bundlePath;
        bool accepted;
        QStringList lookups;
    };
    const std::vector<Case> cases {
        { "accepted", { 501, 20, 4242 }, mainExecutable, bundle, true, { "executable 4242", "bundle" } },
        { "helper", { 501, 20, 1 }, renderer, bundle, true, { "executable 1", "bundle" } },
        { "another user", { 502, 20, 4242 }, mainExecutable, bundle, false, {} },
        { "root", { 0, 0, 4242 }, mainExecutable, bundle, false, {} },
        { "no process", { 501, 20, 0 }, mainExecutable, bundle, false, {} },
        { "negative process", { 501, 20, -7 }, mainExecutable, bundle, false, {} },
        { "unknown executable", { 501, 20, 4242 }, std::nullopt, bundle, false, { "executable 4242" } },
        { "Obsidian not running", { 501, 20, 4242 }, mainExecutable, std::nullopt, false,
            { "executable 4242", "bundle" } },
        { "outside the bundle", { 501, 20, 4242 }, QStringLiteral("/usr/bin/nc"), bundle, false,
            { "executable 4242", "bundle" } },
        { "Linux package helper", { 501, 20, 4242 }, QStringLiteral("/opt/Obsidian/chrome-sandbox"),
            QStringLiteral("/opt/Obsidian"), true, { "executable 4242", "bundle" } },
        { "Linux package of another user", { 502, 20, 4242 }, QStringLiteral("/opt/Obsidian/obsidian"),
            QStringLiteral("/opt/Obsidian"), false, {} },
        { "beside the Linux package", { 501, 20, 4242 }, QStringLiteral("/opt/Obsidian-evil/obsidian"),
            QStringLiteral("/opt/Obsidian"), false, { "executable 4242", "bundle" } },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        QStringList lookups;
        const auto identity = ResolverPeerValidator::validate(
            testCase.credentials, 501,
            [&](qint32 pid) {
                lookups.append(QStringLiteral("executable %1").arg(pid));
                return testCase.executable;
            },
            [&] {
                lookups.append(QStringLiteral("bundle"));
                return testCase.bundlePath;
            });
        if (testCase.accepted)
            EXPECT_EQ(identity,
                (ResolverPeerIdentity { testCase.credentials.uid, testCase.credentials.gid,
                    testCase.credentials.pid, *testCase.executable }));
        else
            EXPECT_EQ(identity, std::nullopt);
        EXPECT_EQ(lookups, testCase.lookups);
    }
}

TEST(ResolverPeerValidator, OnlyTheFirstListedObsidianCountsByItsApplicationIdentifier)
{
    const std::vector<std::pair<const char *, bool>> identifiers { { "md.obsidian", true },
        { "md.obsidian.Obsidian", true }, { "obsidian", true }, { "md.obsidian.helper", false },
        { "Obsidian", false }, { "md.obsidian.obsidian", false }, { "", false } };
    for (const auto &[identifier, obsidian] : identifiers) {
        SCOPED_TRACE(identifier);
        EXPECT_EQ(ResolverPeerValidator::runningObsidianBundlePath(
                      { { 7, QString::fromLatin1(identifier), "/b" } }),
            obsidian ? std::optional<QString>("/b") : std::nullopt);
    }
    EXPECT_EQ(ResolverPeerValidator::runningObsidianBundlePath({}), std::nullopt);

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
}

TEST(ResolverPeerValidator, KernelGivesTheCredentialsAndExecutableOfAPeer)
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

    EXPECT_EQ(ResolverPeerValidator::executablePath(::getpid()),
        QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    EXPECT_EQ(ResolverPeerValidator::executablePath(0), std::nullopt);
    EXPECT_EQ(ResolverPeerValidator::executablePath(-1), std::nullopt);
}

TEST(ResolverPeerValidator, ExecutablePathIsDecodedLeniently)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QByteArray longest = "/" + QByteArray(4094, 'x');
    addProcessEntry(root, "41",
        "/opt/Obsidi\xff"
        "n/obsidian");
    addProcessEntry(root, "42", longest);
    addProcessEntry(root, "43", {});

    EXPECT_EQ(ResolverPeerValidator::executablePath(41, root.path()),
        QStringLiteral("/opt/Obsidi\uFFFDn/obsidian"));
    EXPECT_EQ(ResolverPeerValidator::executablePath(42, root.path()), QString::fromLatin1(longest));
    EXPECT_EQ(ResolverPeerValidator::executablePath(43, root.path()), std::nullopt);
    EXPECT_EQ(ResolverPeerValidator::executablePath(44, root.path()), std::nullopt);
}

TEST(ResolverPeerValidator, SandboxedExecutableIsNamedByItsFolderOnTheHost)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    struct Case {
        const char *process;
        QByteArray target;
        std::optional<QByteArray> info;
        QString expected;
    };
    const std::vector<Case> cases {
        { "61", "/app/obsidian/obsidian", sandboxInfo(obsidianDeploy),
            obsidianDeploy + "/obsidian/obsidian" },
        { "63", "/app/bin/obsidian", "[Instance]\n  app-path = /deploy/files\n",
            "/deploy/files/bin/obsidian" },
        { "64", "/app/bin/obsidian", std::nullopt, "/app/bin/obsidian" },
        { "65", "/app/bin/obsidian", "[Application]\napp-path=/deploy/files\n", "/app/bin/obsidian" },
        { "66", "/app/bin/obsidian", "[Instance]\napp-path=deploy/files\n", "/app/bin/obsidian" },
        { "67", "/app/bin/obsidian", "[Instance]\napp-path=/deploy/back\\\\slash/files\n",
            "/app/bin/obsidian" },
        { "68", "/app/bin/obsidian", "[Instance]\napp-path=/" + QByteArray(64 * 1024, 'x') + "\n",
            "/app/bin/obsidian" },
        { "69", "/application/obsidian", sandboxInfo(obsidianDeploy), "/application/obsidian" },
        { "70", "/usr/bin/obsidian", sandboxInfo(obsidianDeploy), "/usr/bin/obsidian" },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.process);
        addProcessEntry(root, testCase.process, testCase.target);
        if (testCase.info)
            addSandboxInfo(root, testCase.process, *testCase.info);
        EXPECT_EQ(ResolverPeerValidator::executablePath(QByteArray(testCase.process).toInt(), root.path()),
            testCase.expected);
    }

    // A FIFO in the info file's place is not waited on.
    addProcessEntry(root, "71", "/app/bin/obsidian");
    ASSERT_TRUE(QDir(root.path()).mkpath("71/root"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath("71/root/.flatpak-info")).constData(), 0600), 0);
    EXPECT_EQ(ResolverPeerValidator::executablePath(71, root.path()), QStringLiteral("/app/bin/obsidian"));
}

TEST(ResolverPeerValidator, FlatpakObsidianAcceptsOnlyProcessesOfItsOwnDeploy)
{
    const QString otherDeploy = QStringLiteral("/var/lib/flatpak/app/org.evil.App/x86_64/stable/1/files");
    struct Case {
        qint32 process;
        QByteArray target;
        std::optional<QString> applicationPath;
        bool accepted;
    };
    // Process 80 is the running Obsidian.
    const std::vector<Case> cases {
        { 80, "/app/obsidian/obsidian", obsidianDeploy, true },
        { 81, "/app/obsidian/chrome_crashpad_handler", obsidianDeploy, true },
        { 82, "/app/bin/zypak-helper", obsidianDeploy, true },
        { 83, "/app/bin/evil", otherDeploy, false },
        { 84, "/app/obsidian/obsidian", otherDeploy, false },
        { 85, "/app/obsidian/obsidian", std::nullopt, false },
    };
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    for (const Case &testCase : cases) {
        addProcessEntry(root, QString::number(testCase.process), testCase.target);
        if (testCase.applicationPath)
            addSandboxInfo(root, QString::number(testCase.process), sandboxInfo(*testCase.applicationPath));
    }
    FakeWorkspace workspace;
    workspace.add(80, QStringLiteral("md.obsidian.Obsidian"));
    const std::optional<QString> running
        = ResolverPeerValidator::runningObsidianBundlePath(runningApplicationBundles(workspace, root.path()));
    ASSERT_EQ(running, obsidianDeploy + "/obsidian");

    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.process);
        const std::optional<QString> executable
            = ResolverPeerValidator::executablePath(testCase.process, root.path());
        ASSERT_TRUE(executable.has_value());
        EXPECT_EQ(ResolverPeerValidator::path(*executable, *running), testCase.accepted);
    }
}

TEST(RunningApplicationBundles, KnownLiveApplicationsInProcessOrderWithTheirBundles)
{
    EXPECT_EQ(bundlePathOfExecutable(mainExecutable), bundle);
    EXPECT_EQ(bundlePathOfExecutable(QStringLiteral("/tmp/.mount_ObsidAb12/obsidian")),
        QStringLiteral("/tmp/.mount_ObsidAb12"));
    EXPECT_EQ(bundlePathOfExecutable(QStringLiteral("/Contents/MacOS/Obsidian")),
        QStringLiteral("/Contents/MacOS"));

    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    addProcessEntry(root, "300", "/Applications/Obsidian.app/Contents/MacOS/Obsidian");
    addProcessEntry(root, "20", "/opt/Obsidian/obsidian");
    addProcessEntry(root, "1000", "/usr/bin/gnome-text-editor");
    addProcessEntry(root, "55", "/usr/bin/terminated");
    addProcessEntry(root, "56", {});
    addProcessEntry(root, "57", "/usr/bin/unknown-to-the-workspace");
    addProcessEntry(root, "self", "/usr/bin/self");
    addProcessEntry(root, "net", {});

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
}

// Whole validations over real sockets and processes --------------------------------------------

namespace {

// A child process that connects to `listener` as itself, then turns into the
// program at `executable` (a copy of cat that waits on a pipe), so that the
// kernel names that program as the peer's executable.
class PeerProcess {
public:
    PeerProcess(const BoundSocket &listener, const QString &socketPath, QString executable,
        std::optional<uid_t> asUser)
        : executable(std::move(executable))
    {
        const QByteArray encodedSocket = socketPath.toUtf8();
        const QByteArray encodedExecutable = QFile::encodeName(this->executable);
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
        failure = read > 0 ? status : 0;
        if (failure == 0)
            connection = ::accept(listener.descriptor(), nullptr, {});
    }
    ~PeerProcess()
    {
        ::close(connection);
        ::close(m_input);
        ::waitpid(m_pid, nullptr, 0);
    }

    pid_t pid() const { return m_pid; }

    const QString executable;
    // 0 once the child runs the program; otherwise the step that failed.
    int failure = 0;
    // The server's end of the child's connection.
    int connection = -1;

private:
    pid_t m_pid = -1;
    int m_input = -1;
};

class ResolverPeerProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_root = QFileInfo(m_folder.path()).canonicalFilePath();
        m_listener = std::make_unique<BoundSocket>(m_root + "/resolver.sock", BoundSocket::Mode::listen);
    }

    // Runs a copy of cat installed at `relativePath` under the test folder.
    std::unique_ptr<PeerProcess> launch(
        const QString &relativePath, std::optional<uid_t> asUser = std::nullopt)
    {
        return launchAt(m_root + "/" + relativePath, asUser);
    }

    // Runs a copy of cat installed at the absolute path `executable`.
    std::unique_ptr<PeerProcess> launchAt(
        const QString &executable, std::optional<uid_t> asUser = std::nullopt)
    {
        EXPECT_TRUE(QDir().mkpath(QFileInfo(executable).path()));
        EXPECT_TRUE(QFile::copy(QStringLiteral("/bin/cat"), executable));
        QFile::setPermissions(executable, QFile::permissions(executable) | QFile::ExeOwner | QFile::ExeOther);
        auto process
            = std::make_unique<PeerProcess>(*m_listener, m_root + "/resolver.sock", executable, asUser);
        EXPECT_EQ(process->failure, 0);
        return process;
    }

    QTemporaryDir m_folder;
    QString m_root;
    std::unique_ptr<BoundSocket> m_listener;
};

} // namespace

TEST_F(ResolverPeerProcessTest, ObsidianAndItsHelpersAreAcceptedWhileItRunsAndImpostorsNever)
{
    const auto application = launch("Obsidian.app/Contents/MacOS/Obsidian");
    const auto renderer = launch("Obsidian.app/Contents/Frameworks/Obsidian Helper "
                                 "(Renderer).app/Contents/MacOS/Obsidian Helper (Renderer)");
    const auto impostor = launch("Impostor/Obsidian.app/Contents/MacOS/Obsidian");
    ASSERT_FALSE(HasFailure());

    FakeWorkspace workspace;
    workspace.add(application->pid(), QStringLiteral("md.obsidian"));
    const auto validate = ResolverPeerValidator::validator(workspace);
    EXPECT_EQ(validate(application->connection),
        (ResolverPeerIdentity { static_cast<quint32>(::getuid()), static_cast<quint32>(::getgid()),
            static_cast<qint32>(application->pid()), application->executable }));
    EXPECT_EQ(validate(renderer->connection),
        (ResolverPeerIdentity { static_cast<quint32>(::getuid()), static_cast<quint32>(::getgid()),
            static_cast<qint32>(renderer->pid()), renderer->executable }));
    EXPECT_EQ(validate(impostor->connection), std::nullopt);
    // The same process is accepted when it is the Obsidian that is running.
    EXPECT_NE(ResolverPeerValidator::validate(impostor->connection,
                  [&] {
                      return QList<RunningApplicationBundle> { { impostor->pid(),
                          QStringLiteral("md.obsidian"), m_root + "/Impostor/Obsidian.app" } };
                  }),
        std::nullopt);

    // Once Obsidian is no longer running, its helper is refused.
    workspace.add(application->pid(), QStringLiteral("md.obsidian"), true);
    EXPECT_EQ(validate(renderer->connection), std::nullopt);
}

TEST_F(ResolverPeerProcessTest, AppImageObsidianAndItsHelpersAreAcceptedButNotASiblingMount)
{
    QTemporaryDir mount(QStringLiteral("/tmp/.mount_ObsidiXXXXXX"));
    ASSERT_TRUE(mount.isValid());
    // Same name and more letters: a look-alike the prefix alone would let in.
    QTemporaryDir sibling(mount.path() + "XXXXXX");
    ASSERT_TRUE(sibling.isValid());
    const auto application = launchAt(mount.path() + "/obsidian");
    const auto crashpad = launchAt(mount.path() + "/chrome_crashpad_handler");
    const auto impostor = launchAt(sibling.path() + "/obsidian");
    ASSERT_FALSE(HasFailure());

    FakeWorkspace workspace;
    workspace.add(application->pid(), QStringLiteral("obsidian"));
    const auto validate = ResolverPeerValidator::validator(workspace);
    for (const PeerProcess *peer : { application.get(), crashpad.get() }) {
        SCOPED_TRACE(peer->executable.toStdString());
        EXPECT_EQ(validate(peer->connection),
            (ResolverPeerIdentity { static_cast<quint32>(::getuid()), static_cast<quint32>(::getgid()),
                static_cast<qint32>(peer->pid()), peer->executable }));
    }
    EXPECT_EQ(validate(impostor->connection), std::nullopt);
}

TEST_F(ResolverPeerProcessTest, ObsidianOfAnotherUserIsRefused)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "running a process as another user needs privileges this run lacks";
    ASSERT_EQ(::chmod(QFile::encodeName(m_root).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(m_root + "/resolver.sock").constData(), 0777), 0);
    const uid_t otherUser = 65534;
    const auto peer = launch("Obsidian.app/Contents/MacOS/Obsidian", otherUser);
    ASSERT_FALSE(HasFailure());

    const auto credentials = ResolverPeerValidator::peerCredentials(peer->connection);
    ASSERT_TRUE(credentials.has_value());
    EXPECT_EQ(credentials->uid, otherUser);
    FakeWorkspace workspace;
    workspace.add(peer->pid(), QStringLiteral("md.obsidian"));
    EXPECT_EQ(ResolverPeerValidator::validator(workspace)(peer->connection), std::nullopt);
    // Refused on its user alone: the workspace was never asked.
    EXPECT_EQ(workspace.lookups, 0);
}

} // namespace tovra
