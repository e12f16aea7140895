#include "core/ledger/TovraLedgerError.h"

#include <cerrno>
#include <cstring>

namespace tovra {

namespace {

const QString untouched = QStringLiteral(" The file was left unchanged.");

} // namespace

TovraLedgerError::TovraLedgerError(Kind kind, QString description, QString path, int errorNumber)
    : TovraError(std::move(description))
    , m_kind(kind)
    , m_path(std::move(path))
    , m_errorNumber(errorNumber)
{
}

TovraLedgerError TovraLedgerError::fileSystemFailure(
    const QString &operation, const QString &path, int errorNumber)
{
    return TovraLedgerError(Kind::fileSystemFailure,
        QStringLiteral("The ledger could not %1 %2: %3 (errno %4).")
            .arg(operation, path, QString::fromLocal8Bit(std::strerror(errorNumber)))
            .arg(errorNumber),
        path, errorNumber);
}

TovraLedgerError TovraLedgerError::readOnly(const QString &path)
{
    return TovraLedgerError(Kind::readOnly,
        QStringLiteral(
            "The ledger %1 is on a read-only file system: its records can be read, but nothing new "
            "can be recorded until it is writable again.")
            .arg(path),
        path, EROFS);
}

TovraLedgerError TovraLedgerError::unsafeFile(const QString &path, const QString &detail)
{
    return TovraLedgerError(Kind::unsafeFile,
        QStringLiteral("The ledger path %1 is not a regular file owned by this user (%2)."
                       " Nothing was read or written there.")
            .arg(path, detail),
        path);
}

TovraLedgerError TovraLedgerError::keyUnavailable(const QString &detail)
{
    return TovraLedgerError(
        Kind::keyUnavailable, QStringLiteral("The ledger's master key is not available: %1").arg(detail));
}

TovraLedgerError TovraLedgerError::undecryptable(const QString &path)
{
    return TovraLedgerError(Kind::undecryptable,
        QStringLiteral("The ledger %1 cannot be decrypted: the master key is not the one it"
                       " was written with, or the file was modified.")
                .arg(path)
            + untouched,
        path);
}

TovraLedgerError TovraLedgerError::corrupted(const QString &path, const QString &detail)
{
    QString reason = detail.trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return TovraLedgerError(
        Kind::corrupted, QStringLiteral("The ledger %1 is damaged: %2.").arg(path, reason) + untouched, path);
}

TovraLedgerError TovraLedgerError::newerVersion(const QString &path, int found, int newestKnown)
{
    return TovraLedgerError(Kind::newerVersion,
        QStringLiteral("The ledger %1 has version %2, written by a newer Tovra; this"
                       " Tovra reads versions up to %3. Update Tovra to open it.")
                .arg(path)
                .arg(found)
                .arg(newestKnown)
            + untouched,
        path);
}

TovraLedgerError TovraLedgerError::unsupportedVersion(const QString &path, int found, int oldestSupported)
{
    return TovraLedgerError(Kind::unsupportedVersion,
        QStringLiteral("The ledger %1 has version %2, which this Tovra can no longer"
                       " migrate (the oldest supported version is %3).")
                .arg(path)
                .arg(found)
                .arg(oldestSupported)
            + untouched,
        path);
}

TovraLedgerError TovraLedgerError::invalidDenylistValue(const QString &value, const QString &detail)
{
    return TovraLedgerError(Kind::invalidDenylistValue,
        QStringLiteral("\"%1\" cannot be added to the denylist: %2.").arg(value, detail));
}

TovraLedgerError TovraLedgerError::defaultDenylistEntry(const QString &value)
{
    return TovraLedgerError(Kind::defaultDenylistEntry,
        QStringLiteral("\"%1\" is a built-in protection and cannot be removed.").arg(value));
}

} // namespace tovra
