#include "core/ledger/LedgerFileStore.h"
#include "core/ledger/TovraLedgerError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using tovra::LedgerFileStore;
using tovra::TovraLedgerError;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat status { };
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status.st_mode & 07777;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Whether another open file description could take the lock in `operation`
// right now: flock locks conflict between descriptions even in one process.
bool lockIsAvailable(const QString &lockPath, int operation)
{
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    const bool available = ::flock(fd, operation | LOCK_NB) == 0;
    ::close(fd);
    return available;
}

class LedgerFileStoreTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString folder = root.path() + QStringLiteral("/nested/Tovra");
    LedgerFileStore store { folder + QStringLiteral("/ledger.json.enc") };
};

} // namespace

TEST_F(LedgerFileStoreTest, MissingFolderReadsAsNoLedgerAndTheFirstWriteCreatesItPrivately)
{
    {
        const auto lock = store.lockShared();
        EXPECT_FALSE(store.read(lock).bytes.has_value());
        EXPECT_FALSE(store.stamp(lock).exists);
        EXPECT_FALSE(QDir(root.path() + QStringLiteral("/nested")).exists());
    }
    store.replace(store.lockExclusive(), QByteArrayLiteral("first"));
    for (const auto &[path, mode] : { std::pair { folder, 0700u }, std::pair { store.ledgerPath(), 0600u },
             std::pair { store.lockPath(), 0600u } })
        EXPECT_EQ(modeOf(path), mode) << path.toStdString();
    EXPECT_EQ(contentsOf(store.ledgerPath()), QByteArrayLiteral("first"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
        QStringList({ QStringLiteral("ledger.json.enc"), QStringLiteral("lock") }));
}

TEST_F(LedgerFileStoreTest, StampFollowsEveryReplacementAndMatchesWhatWasRead)
{
    const auto written = store.replace(store.lockExclusive(), QByteArrayLiteral("one"));
    {
        const auto shared = store.lockShared();
        const auto read = store.read(shared);
        EXPECT_EQ(read.bytes, QByteArrayLiteral("one"));
        EXPECT_EQ(read.stamp, written.stamp);
        EXPECT_EQ(store.stamp(shared), written.stamp);
    }

    // Same size, same second: the stamp must still tell the two files apart.
    const auto exclusive = store.lockExclusive();
    const auto rewritten = store.replace(exclusive, QByteArrayLiteral("two"));
    EXPECT_NE(rewritten.stamp, written.stamp);
    EXPECT_EQ(store.stamp(exclusive), rewritten.stamp);
}

TEST_F(LedgerFileStoreTest, FilesOfEverySizeAreWrittenInSlicesAndReadBackWhole)
{
    // Large files are read in parts on several threads, and written slice by slice.
    QByteArray large(5 * 1024 * 1024 + 3, Qt::Uninitialized);
    for (qsizetype index = 0; index < large.size(); ++index)
        large[index] = char((index * 7919) % 251);
    for (const QByteArray &bytes : { QByteArray(), large.first(1), large.first(1 << 20), large }) {
        const auto written = store.replace(store.lockExclusive(), [&](const LedgerFileStore::Writer &write) {
            for (qsizetype offset = 0; offset < bytes.size(); offset += 300'000)
                write(QByteArrayView(bytes).sliced(
                    offset, std::min<qsizetype>(300'000, bytes.size() - offset)));
        });
        EXPECT_FALSE(written.bytes.has_value());
        const auto lock = store.lockShared();
        EXPECT_EQ(store.read(lock).bytes, bytes) << bytes.size();
        EXPECT_EQ(store.stamp(lock), written.stamp);
    }
}

TEST_F(LedgerFileStoreTest, LocksConflictWithOtherHoldersAndWritingNeedsTheExclusiveOne)
{
    {
        const auto exclusive = store.lockExclusive();
        store.replace(exclusive, QByteArrayLiteral("kept"));
        EXPECT_FALSE(lockIsAvailable(store.lockPath(), LOCK_SH));
    }
    EXPECT_TRUE(lockIsAvailable(store.lockPath(), LOCK_EX));
    const auto shared = store.lockShared();
    EXPECT_TRUE(lockIsAvailable(store.lockPath(), LOCK_SH));
    EXPECT_FALSE(lockIsAvailable(store.lockPath(), LOCK_EX));
    EXPECT_THROW(store.replace(shared, QByteArrayLiteral("lost")), std::logic_error);
    EXPECT_THROW(store.keepBackup(shared, QByteArrayLiteral("lost"), 0), std::logic_error);
    EXPECT_EQ(contentsOf(store.ledgerPath()), QByteArrayLiteral("kept"));
}

TEST_F(LedgerFileStoreTest, TemporaryFilesOfADeadWriterAreRemovedByTheNextWrite)
{
    const auto lock = store.lockExclusive();
    writeFile(store.ledgerPath() + QStringLiteral(".tmp-AbC123"), QByteArrayLiteral("half"));
    writeFile(folder + QStringLiteral("/unrelated.tmp-keep"), QByteArrayLiteral("theirs"));
    store.replace(lock, QByteArrayLiteral("whole"));
    EXPECT_FALSE(QFile::exists(store.ledgerPath() + QStringLiteral(".tmp-AbC123")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/unrelated.tmp-keep")));
    EXPECT_EQ(contentsOf(store.ledgerPath()), QByteArrayLiteral("whole"));
}

TEST_F(LedgerFileStoreTest, BackupsAreNeverOverwritten)
{
    const auto lock = store.lockExclusive();
    const QString first = store.keepBackup(lock, QByteArrayLiteral("old ledger"), 0);
    EXPECT_EQ(first, store.ledgerPath() + QStringLiteral(".v0.bak"));
    EXPECT_EQ(modeOf(first), 0600u);
    EXPECT_EQ(store.keepBackup(lock, QByteArrayLiteral("old ledger"), 0), first);

    const QString second = store.keepBackup(lock, QByteArrayLiteral("another old ledger"), 0);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second.endsWith(QStringLiteral(".v0.bak")));
    EXPECT_EQ(contentsOf(first), QByteArrayLiteral("old ledger"));
    EXPECT_EQ(contentsOf(second), QByteArrayLiteral("another old ledger"));
    EXPECT_TRUE(QDir(folder).entryList({ QStringLiteral("*.tmp-*") }, QDir::Files).isEmpty());
}

TEST_F(LedgerFileStoreTest, SymbolicLinkOrFolderAtTheLedgerPathIsRefused)
{
    QDir().mkpath(folder);
    writeFile(root.path() + QStringLiteral("/elsewhere"), QByteArrayLiteral("target"));
    ASSERT_EQ(::symlink(QFile::encodeName(root.path() + QStringLiteral("/elsewhere")).constData(),
                  QFile::encodeName(store.ledgerPath()).constData()),
        0);
    const auto lock = store.lockShared();
    try {
        store.read(lock);
        FAIL() << "a symbolic link was read";
    } catch (const TovraLedgerError &error) {
        EXPECT_EQ(error.kind(), TovraLedgerError::Kind::unsafeFile);
        EXPECT_TRUE(error.localizedDescription().contains(store.ledgerPath()));
    }

    QDir().mkpath(folder + QStringLiteral("/sub"));
    LedgerFileStore subStore(folder + QStringLiteral("/sub"));
    EXPECT_THROW(subStore.read(subStore.lockShared()), TovraLedgerError);
    EXPECT_EQ(contentsOf(root.path() + QStringLiteral("/elsewhere")), QByteArrayLiteral("target"));
}
