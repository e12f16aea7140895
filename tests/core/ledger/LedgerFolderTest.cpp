// The ledger's folder as the user's system may leave it: opened wider than
// private, or mounted read-only.
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/LedgerFileStore.h"
#include "core/ledger/TovraLedger.h"
#include "core/ledger/TovraLedgerError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tovra;

namespace {

const QByteArray masterKey(32, '\x17');

mode_t modeOf(const QString &path)
{
    struct stat status { };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status.st_mode & 07777;
}

SourceCapturePayload capture(const QString &text)
{
    SourceCapturePayload payload;
    payload.url = QStringLiteral("https://example.org/notes");
    payload.selectedText = text;
    return payload;
}

QDateTime at(int minute)
{
    return QDateTime(QDate(2026, 3, 1), QTime(9, minute), Qt::UTC);
}

// Runs `check` in a child process that sees `folder` mounted read-only, and
// returns its exit status; none when this machine gives no process its own
// mounts (the child needs CAP_SYS_ADMIN).
std::optional<int> withFolderReadOnly(const QString &folder, const std::function<int()> &check)
{
    constexpr int noPrivateMounts = 77;
    const QByteArray native = QFile::encodeName(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount(native.constData(), native.constData(), nullptr, MS_BIND, nullptr) != 0
            || ::mount(nullptr, native.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            ::_exit(noPrivateMounts);
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    if (WEXITSTATUS(status) == noPrivateMounts)
        return std::nullopt;
    return WEXITSTATUS(status);
}

} // namespace

TEST(LedgerFolder, AnExistingFolderOpenToOthersIsMadePrivateByTheNextWrite)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("Tovra"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);

    FixedTovraKeyProvider key(masterKey);
    auto ledger = TovraLedger::live(folder + QStringLiteral("/ledger.json.enc"), key);
    ASSERT_EQ(ledger->captureSource(capture(QStringLiteral("a line")), at(0)).kind(),
        SourceCaptureResult::Kind::stored);
    EXPECT_EQ(modeOf(folder), 0700u);
}

TEST(LedgerFolder, AnExistingFolderOpenToOthersIsMadePrivateWhenTheLedgerIsOpened)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("Tovra"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
    FixedTovraKeyProvider key(masterKey);
    TovraLedger::live(folder + QStringLiteral("/ledger.json.enc"), key);
    EXPECT_EQ(modeOf(folder), 0700u);
}

TEST(LedgerFolder, FoldersMadeForTheLedgerArePrivateAllTheWayDown)
{
    QTemporaryDir root;
    const QString data = root.filePath(QStringLiteral("data"));
    LedgerFileStore store(data + QStringLiteral("/Tovra/Testing/ledger.json.enc"));
    store.replace(store.lockExclusive(), QByteArray("bytes"));
    EXPECT_EQ(modeOf(data), 0700u);
    EXPECT_EQ(modeOf(data + QStringLiteral("/Tovra")), 0700u);
    EXPECT_EQ(modeOf(data + QStringLiteral("/Tovra/Testing")), 0700u);
}

TEST(LedgerFolder, AFolderOfAnotherUserIsRefusedForWriting)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("Tovra"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
    LedgerFileStore store(folder + QStringLiteral("/ledger.json.enc"));
    try {
        store.lockExclusive();
        FAIL() << "a folder of another user was written to";
    } catch (const TovraLedgerError &error) {
        EXPECT_EQ(error.kind(), TovraLedgerError::Kind::unsafeFile);
    }
}

// An intact ledger on a read-only file system (a backup disk, a live
// session) is read as usual; only a change fails, and says why.
TEST(LedgerFolder, AnIntactLedgerOnAReadOnlyFileSystemIsReadAndAChangeReportsThatWritingIsUnavailable)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("Tovra"));
    const QString path = folder + QStringLiteral("/ledger.json.enc");
    {
        FixedTovraKeyProvider key(masterKey);
        auto ledger = TovraLedger::live(path, key);
        ASSERT_EQ(ledger->captureSource(capture(QStringLiteral("kept line")), at(0)).kind(),
            SourceCaptureResult::Kind::stored);
    }
    // Without a lock file, as a ledger copied without it would be.
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/lock")));

    enum Result { passed, openFailed, nothingRead, changeTaken, wrongError };
    const auto result = withFolderReadOnly(folder, [&path] {
        FixedTovraKeyProvider key(masterKey);
        std::unique_ptr<TovraLedger> ledger;
        try {
            ledger = TovraLedger::live(path, key);
        } catch (const std::exception &) {
            return int(openFailed);
        }
        if (ledger->status(at(1)).pendingSourceCount != 1)
            return int(nothingRead);
        try {
            ledger->captureSource(capture(QStringLiteral("new line")), at(2));
            return int(changeTaken);
        } catch (const TovraLedgerError &error) {
            return error.kind() == TovraLedgerError::Kind::readOnly
                    && error.localizedDescription().contains(QStringLiteral("can be read"))
                ? int(passed)
                : int(wrongError);
        }
    });
    if (!result)
        GTEST_SKIP() << "this machine gives a test process no mounts of its own";
    EXPECT_EQ(*result, int(passed)) << "1 open failed, 2 nothing read, 3 a change was taken, 4 another error";
}
