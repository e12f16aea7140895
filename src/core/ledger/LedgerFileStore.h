#pragma once

#include "core/ledger/UniqueFd.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tovra {

// One state of the ledger file, as far as a reader can tell without reading it:
// device, inode, size and modification time. Every write replaces the file by
// a new inode, so a stamp that still matches means the cached contents are
// current.
struct LedgerFileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;

    bool operator==(const LedgerFileStamp &) const = default;
};

// The bytes of the ledger file on disk, shared by every process of this user.
//
// Beside the ledger file lies a file named "lock": every change holds an
// exclusive flock on it, every read a shared one. A change replaces the file
// atomically: a temporary file in the same folder is written and fsynced,
// renamed over the ledger, and the folder is fsynced, so a reader or a crash
// sees either the old file or the new one, never a mix. The folder is
// created with mode 0700 and every file with mode 0600.
class LedgerFileStore {
public:
    // A held flock on the lock file; released when the object goes. A shared
    // lock taken while the folder does not exist yet holds nothing: there is
    // no ledger to read then.
    class Lock {
    public:
        Lock(Lock &&) noexcept = default;
        Lock &operator=(Lock &&) noexcept = default;
        ~Lock() = default;

        bool isExclusive() const noexcept { return m_exclusive; }

    private:
        friend class LedgerFileStore;
        Lock(UniqueFd fd, bool exclusive)
            : m_fd(std::move(fd))
            , m_exclusive(exclusive)
        {
        }

        UniqueFd m_fd;
        bool m_exclusive;
    };

    struct Contents {
        // Absent when there is no ledger file.
        std::optional<QByteArray> bytes;
        LedgerFileStamp stamp;
        // Keeps the file that was read open, so its inode number cannot be
        // given to a later file while a cache compares stamps against it.
        std::shared_ptr<const UniqueFd> pin;
    };

    static constexpr const char *lockFileName = "lock";

    explicit LedgerFileStore(QString ledgerPath);

    const QString &ledgerPath() const noexcept { return m_ledgerPath; }
    QString folderPath() const;
    QString lockPath() const;

    Lock lockShared() const;
    // Creates the folder and the lock file when they are missing.
    Lock lockExclusive() const;

    // The file opened for reading it in parts, and its stamp; neither when
    // there is no ledger file. Like a read, the pin keeps the file's inode.
    struct Opened {
        std::shared_ptr<const UniqueFd> pin;
        LedgerFileStamp stamp;
    };

    // The stamp of the file now, without reading it.
    LedgerFileStamp stamp(const Lock &lock) const;
    Contents read(const Lock &lock) const;
    Opened open(const Lock &lock) const;
    // Exactly `length` bytes from `offset` of a file opened here; a file that
    // ends before is damaged.
    QByteArray readAt(const UniqueFd &file, qint64 offset, qsizetype length) const;
    // Replaces the ledger file by `bytes`; needs the exclusive lock.
    Contents replace(const Lock &lock, const QByteArray &bytes) const;
    // The same with the new file's bytes handed by `produce` to the writer it
    // is given, a slice at a time, so that they are never held whole. The
    // contents returned hold no bytes.
    using Writer = std::function<void(QByteArrayView)>;
    Contents replace(const Lock &lock, const std::function<void(const Writer &)> &produce) const;
    // Stores `bytes` as the backup of a ledger of `version`, named after the
    // ledger with ".v<version>.bak" at the end; an existing backup is never
    // overwritten (a different one gets a numbered name). Needs the exclusive
    // lock. Returns the backup's path.
    QString keepBackup(const Lock &lock, const QByteArray &bytes, int version) const;

private:
    void requireExclusive(const Lock &lock) const;
    void removeAbandonedTemporaryFiles() const;
    void syncFolder() const;

    QString m_ledgerPath;
};

} // namespace tovra
