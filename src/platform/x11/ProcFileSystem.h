#pragma once

#include "platform/ProcessIdentifier.h"

#include <QString>

#include <optional>

namespace tovra {

// What /proc tells about a process. The root is a parameter so that tests can
// lay out a process table of their own.
class ProcFileSystem {
public:
    explicit ProcFileSystem(QString root = QStringLiteral("/proc"));

    bool exists(ProcessIdentifier processIdentifier) const;

    // The start time in clock ticks since boot: with the identifier, it names
    // one process even after its identifier has been reused.
    std::optional<quint64> startTime(ProcessIdentifier processIdentifier) const;

    // The file name of the executable; the short command name when the
    // executable link cannot be read (another user's process).
    std::optional<QString> executableName(ProcessIdentifier processIdentifier) const;

    // The Flatpak application ID of a sandboxed process, from its control
    // group ("app-flatpak-<ID>-<number>.scope").
    std::optional<QString> flatpakApplicationId(ProcessIdentifier processIdentifier) const;

private:
    QString path(ProcessIdentifier processIdentifier, const char *entry) const;

    QString m_root;
};

} // namespace tovra
