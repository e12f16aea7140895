#pragma once

#include "core/records/TovraError.h"

#include <QString>

namespace tovra {

// Every failure of the ledger. A failure to read or decode the ledger file
// never changes that file: the description says so, and says what the user
// can do about it.
class TovraLedgerError : public TovraError {
public:
    enum class Kind {
        fileSystemFailure,
        readOnly,
        unsafeFile,
        keyUnavailable,
        undecryptable,
        corrupted,
        newerVersion,
        unsupportedVersion,
        invalidDenylistValue,
        defaultDenylistEntry,
    };

    // A system call failed; `operation` names what was attempted.
    static TovraLedgerError fileSystemFailure(const QString &operation, const QString &path, int errorNumber);
    // The ledger lies on a read-only file system: it can be read, but no
    // change can be written.
    static TovraLedgerError readOnly(const QString &path);
    // The ledger path is a symbolic link, a folder or another non-regular file.
    static TovraLedgerError unsafeFile(const QString &path, const QString &detail);
    static TovraLedgerError keyUnavailable(const QString &detail);
    // Authentication of the encrypted file failed: wrong key or modified bytes.
    static TovraLedgerError undecryptable(const QString &path);
    static TovraLedgerError corrupted(const QString &path, const QString &detail);
    static TovraLedgerError newerVersion(const QString &path, int found, int newestKnown);
    static TovraLedgerError unsupportedVersion(const QString &path, int found, int oldestSupported);
    static TovraLedgerError invalidDenylistValue(const QString &value, const QString &detail);
    static TovraLedgerError defaultDenylistEntry(const QString &value);

    Kind kind() const noexcept { return m_kind; }
    // The errno of a file-system failure, 0 for every other kind.
    int errorNumber() const noexcept { return m_errorNumber; }
    // The file concerned; empty for the kinds about a denylist value or a key.
    const QString &path() const noexcept { return m_path; }

private:
    TovraLedgerError(Kind kind, QString description, QString path = {}, int errorNumber = 0);

    Kind m_kind;
    QString m_path;
    int m_errorNumber;
};

} // namespace tovra
