#include "core/ledger/LedgerFileStore.h"

#include "core/ledger/ParallelParts.h"
#include "core/ledger/TovraLedgerError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovra {

namespace {

constexpr mode_t folderMode = 0700;
constexpr mode_t fileMode = 0600;

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

[[noreturn]] void fail(const QString &operation, const QString &path, int errorNumber = errno)
{
    throw TovraLedgerError::fileSystemFailure(operation, path, errorNumber);
}

LedgerFileStamp stampOf(const struct stat &status)
{
    LedgerFileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<quint64>(status.st_dev);
    stamp.inode = static_cast<quint64>(status.st_ino);
    stamp.size = static_cast<qint64>(status.st_size);
#if defined(__APPLE__)
    stamp.modifiedSeconds = status.st_mtimespec.tv_sec;
    stamp.modifiedNanoseconds = status.st_mtimespec.tv_nsec;
#else
    stamp.modifiedSeconds = status.st_mtim.tv_sec;
    stamp.modifiedNanoseconds = status.st_mtim.tv_nsec;
#endif
    return stamp;
}

void requireRegularOwnedFile(const struct stat &status, const QString &path)
{
    if (S_ISLNK(status.st_mode))
        throw TovraLedgerError::unsafeFile(path, QStringLiteral("it is a symbolic link"));
    if (!S_ISREG(status.st_mode))
        throw TovraLedgerError::unsafeFile(path, QStringLiteral("it is not a regular file"));
    if (status.st_uid != ::geteuid())
        throw TovraLedgerError::unsafeFile(path, QStringLiteral("it belongs to another user"));
}

// Makes `folder` and the folders above it that are missing, each private.
void makeFolder(const QString &folder)
{
    const QByteArray native = nativePath(folder);
    if (::mkdir(native.constData(), folderMode) == 0 || errno == EEXIST)
        return;
    if (errno == EROFS)
        throw TovraLedgerError::readOnly(folder);
    const QString parent = QFileInfo(folder).absolutePath();
    if (errno != ENOENT || parent == folder)
        fail(QStringLiteral("create the folder"), folder);
    makeFolder(parent);
    if (::mkdir(native.constData(), folderMode) != 0 && errno != EEXIST)
        fail(QStringLiteral("create the folder"), folder);
}

enum class FolderCheck {
    // Before a change: the folder must be the user's and private.
    required,
    // Before a read: a folder that can be made private is; nothing fails.
    bestEffort,
};

// The ledger's folder is the user's own and private (0700), as its files are
// (0600): a folder made wider, by hand or by an older build, is tightened.
void tightenFolder(const QString &folder, FolderCheck check)
{
    UniqueFd fd(::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat status { };
    if (!fd.isValid() || ::fstat(fd.get(), &status) != 0) {
        if (check == FolderCheck::required)
            fail(QStringLiteral("open the folder"), folder);
        return;
    }
    if (status.st_uid != ::geteuid()) {
        if (check == FolderCheck::required)
            throw TovraLedgerError::unsafeFile(folder, QStringLiteral("the folder belongs to another user"));
        return;
    }
    if ((status.st_mode & 07777) == folderMode || ::fchmod(fd.get(), folderMode) == 0)
        return;
    if (check == FolderCheck::bestEffort)
        return;
    if (errno == EROFS)
        throw TovraLedgerError::readOnly(folder);
    fail(QStringLiteral("make private the folder"), folder);
}

void takeFlock(int fd, int operation, const QString &path)
{
    while (::flock(fd, operation) != 0) {
        if (errno != EINTR)
            fail(QStringLiteral("lock"), path);
    }
}

void writeAll(int fd, QByteArrayView bytes, const QString &path)
{
    const char *data = bytes.constData();
    qsizetype remaining = bytes.size();
    while (remaining > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(remaining));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("write"), path);
        }
        data += written;
        remaining -= written;
    }
}

// Starts writing `length` bytes from `offset` to the disk without waiting for
// them, so that the slices of a file are written while the next ones are
// being made and its fsync finds little left to do. A hint, where the system
// has one: durability still comes from the fsync.
void startWriteback(int fd, off_t offset, qsizetype length)
{
#if defined(SYNC_FILE_RANGE_WRITE)
    ::sync_file_range(fd, offset, off_t(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)offset;
    (void)length;
#endif
}

void syncFile(int fd, const QString &path)
{
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            fail(QStringLiteral("flush"), path);
    }
}

// A file being written next to the ledger; removed again unless it was
// handed on by release().
class TemporaryFile {
public:
    explicit TemporaryFile(const QString &ledgerPath)
    {
        QByteArray pattern = nativePath(ledgerPath + QStringLiteral(".tmp-XXXXXX"));
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            fail(QStringLiteral("create a temporary file beside"), ledgerPath);
        m_fd = std::make_shared<UniqueFd>(fd);
        m_path = pattern;
        if (::fchmod(fd, fileMode) != 0)
            fail(QStringLiteral("set the mode of"), QFile::decodeName(m_path));
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;
    ~TemporaryFile()
    {
        if (!m_released)
            ::unlink(m_path.constData());
    }

    int fd() const { return m_fd->get(); }
    const QByteArray &path() const { return m_path; }
    QString displayPath() const { return QFile::decodeName(m_path); }
    std::shared_ptr<const UniqueFd> release()
    {
        m_released = true;
        return m_fd;
    }

private:
    std::shared_ptr<UniqueFd> m_fd;
    QByteArray m_path;
    bool m_released = false;
};

} // namespace

LedgerFileStore::LedgerFileStore(QString ledgerPath)
    : m_ledgerPath(std::move(ledgerPath))
{
}

QString LedgerFileStore::folderPath() const
{
    return QFileInfo(m_ledgerPath).absolutePath();
}

QString LedgerFileStore::lockPath() const
{
    return folderPath() + QLatin1Char('/') + QLatin1String(lockFileName);
}

LedgerFileStore::Lock LedgerFileStore::lockShared() const
{
    const QString path = lockPath();
    tightenFolder(folderPath(), FolderCheck::bestEffort);
    UniqueFd fd(::open(nativePath(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, fileMode));
    if (!fd.isValid() && (errno == EROFS || errno == EACCES)) {
        // A shared lock needs no write access. Where the lock file cannot be
        // made, no writer can make it either: there is nobody to wait for.
        fd = UniqueFd(::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (!fd.isValid() && errno == ENOENT)
            return Lock(UniqueFd(), false);
    }
    if (!fd.isValid()) {
        if (errno == ENOENT)
            return Lock(UniqueFd(), false);
        fail(QStringLiteral("open the lock file"), path);
    }
    takeFlock(fd.get(), LOCK_SH, path);
    return Lock(std::move(fd), false);
}

LedgerFileStore::Lock LedgerFileStore::lockExclusive() const
{
    const QString folder = folderPath();
    makeFolder(folder);
    tightenFolder(folder, FolderCheck::required);

    const QString path = lockPath();
    UniqueFd fd(::open(nativePath(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, fileMode));
    if (!fd.isValid()) {
        if (errno == EROFS)
            throw TovraLedgerError::readOnly(m_ledgerPath);
        fail(QStringLiteral("open the lock file"), path);
    }
    takeFlock(fd.get(), LOCK_EX, path);
    return Lock(std::move(fd), true);
}

LedgerFileStamp LedgerFileStore::stamp(const Lock &) const
{
    struct stat status { };
    if (::lstat(nativePath(m_ledgerPath).constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        fail(QStringLiteral("inspect"), m_ledgerPath);
    }
    requireRegularOwnedFile(status, m_ledgerPath);
    return stampOf(status);
}

LedgerFileStore::Opened LedgerFileStore::open(const Lock &) const
{
    auto fd = std::make_shared<UniqueFd>(
        ::open(nativePath(m_ledgerPath).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
    if (!fd->isValid()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        if (errno == ELOOP)
            throw TovraLedgerError::unsafeFile(m_ledgerPath, QStringLiteral("it is a symbolic link"));
        fail(QStringLiteral("open"), m_ledgerPath);
    }
    struct stat status { };
    if (::fstat(fd->get(), &status) != 0)
        fail(QStringLiteral("inspect"), m_ledgerPath);
    requireRegularOwnedFile(status, m_ledgerPath);
    return Opened { std::move(fd), stampOf(status) };
}

QByteArray LedgerFileStore::readAt(const UniqueFd &file, qint64 offset, qsizetype length) const
{
    QByteArray bytes(length, Qt::Uninitialized);
    qsizetype done = 0;
    while (done < length) {
        const ssize_t count = ::pread(
            file.get(), bytes.data() + done, static_cast<size_t>(length - done), off_t(offset + done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            fail(QStringLiteral("read"), m_ledgerPath);
        if (count == 0)
            throw TovraLedgerError::corrupted(m_ledgerPath, QStringLiteral("it ended before its size"));
        done += count;
    }
    return bytes;
}

LedgerFileStore::Contents LedgerFileStore::read(const Lock &lock) const
{
    Opened opened = open(lock);
    if (!opened.pin)
        return {};
    const auto &fd = opened.pin;

    // Read straight into a buffer of the file's size, a large file in parts
    // on several threads: in a process that just started, most of the time
    // goes to mapping the buffer's fresh pages, which threads do side by
    // side. The file is never written in place (a change renames a new one
    // over it), so its parts cannot change while they are read.
    const auto fileSize = static_cast<qsizetype>(opened.stamp.size);
    QByteArray bytes(fileSize, Qt::Uninitialized);
    char *const buffer = bytes.data();
    const qsizetype parts = ParallelParts::count(fileSize);
    std::atomic<int> readError = 0;
    const bool complete = ParallelParts::run(parts, [&](qsizetype part) {
        qsizetype offset = fileSize * part / parts;
        const qsizetype end = fileSize * (part + 1) / parts;
        while (offset < end) {
            const ssize_t count
                = ::pread(fd->get(), buffer + offset, static_cast<size_t>(end - offset), off_t(offset));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                if (count < 0)
                    readError = errno;
                return false;
            }
            offset += count;
        }
        return true;
    });
    if (!complete) {
        if (readError != 0)
            fail(QStringLiteral("read"), m_ledgerPath, readError);
        throw TovraLedgerError::corrupted(m_ledgerPath, QStringLiteral("it ended before its size"));
    }
    return Contents { std::move(bytes), opened.stamp, std::move(opened.pin) };
}

LedgerFileStore::Contents LedgerFileStore::replace(const Lock &lock, const QByteArray &bytes) const
{
    Contents contents = replace(lock, [&](const Writer &write) { write(bytes); });
    contents.bytes = bytes;
    return contents;
}

LedgerFileStore::Contents LedgerFileStore::replace(
    const Lock &lock, const std::function<void(const Writer &)> &produce) const
{
    requireExclusive(lock);
    removeAbandonedTemporaryFiles();

    TemporaryFile temporary(m_ledgerPath);
    off_t written = 0;
    produce([&](QByteArrayView bytes) {
        writeAll(temporary.fd(), bytes, temporary.displayPath());
        startWriteback(temporary.fd(), written, bytes.size());
        written += off_t(bytes.size());
    });
    syncFile(temporary.fd(), temporary.displayPath());
    struct stat status { };
    if (::fstat(temporary.fd(), &status) != 0)
        fail(QStringLiteral("inspect"), temporary.displayPath());
    if (::rename(temporary.path().constData(), nativePath(m_ledgerPath).constData()) != 0)
        fail(QStringLiteral("replace"), m_ledgerPath);
    auto pin = temporary.release();
    syncFolder();
    return Contents { std::nullopt, stampOf(status), std::move(pin) };
}

QString LedgerFileStore::keepBackup(const Lock &lock, const QByteArray &bytes, int version) const
{
    requireExclusive(lock);
    const QString suffix = QStringLiteral(".v%1.bak").arg(version);

    TemporaryFile temporary(m_ledgerPath);
    writeAll(temporary.fd(), bytes, temporary.displayPath());
    syncFile(temporary.fd(), temporary.displayPath());

    for (int attempt = 1;; ++attempt) {
        const QString candidate = attempt == 1 ? m_ledgerPath + suffix
                                               : m_ledgerPath + QStringLiteral("-%1").arg(attempt) + suffix;
        // link() never replaces an existing file, so an older backup survives.
        if (::link(temporary.path().constData(), nativePath(candidate).constData()) == 0) {
            syncFolder();
            return candidate;
        }
        if (errno != EEXIST)
            fail(QStringLiteral("create the backup"), candidate);
        QFile existing(candidate);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
            return candidate;
    }
}

void LedgerFileStore::requireExclusive(const Lock &lock) const
{
    if (!lock.isExclusive())
        throw std::logic_error("the ledger file is written only under the exclusive lock");
}

void LedgerFileStore::removeAbandonedTemporaryFiles() const
{
    // Under the exclusive lock no other writer is at work, so every temporary
    // file left in the folder belongs to a writer that died mid-write.
    const QByteArray folder = nativePath(folderPath());
    const QByteArray prefix = nativePath(QFileInfo(m_ledgerPath).fileName() + QStringLiteral(".tmp-"));
    DIR *directory = ::opendir(folder.constData());
    if (!directory)
        return;
    while (const dirent *entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith(prefix))
            ::unlinkat(::dirfd(directory), entry->d_name, 0);
    }
    ::closedir(directory);
}

void LedgerFileStore::syncFolder() const
{
    const QString folder = folderPath();
    UniqueFd fd(::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isValid())
        fail(QStringLiteral("open the folder"), folder);
    syncFile(fd.get(), folder);
}

} // namespace tovra
