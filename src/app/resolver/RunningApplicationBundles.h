#pragma once

#include "platform/ProcessIdentifier.h"

#include <QList>
#include <QString>

#include <optional>

namespace tovra {

class Workspace;

// A running application and the folder it is installed in: its bundle. The
// bundle is found from the executable the kernel names in /proc/<pid>/exe: an
// executable laid out as <bundle>/Contents/MacOS/<name> belongs to <bundle>;
// any other executable to the folder that holds it, which for Obsidian is
// "/opt/Obsidian" (Debian package), the mount folder "/tmp/.mount_Obsid…"
// (AppImage), the snap's revision folder (snap) or the sandbox's "/app" as
// the process sees it (Flatpak).
struct RunningApplicationBundle {
    ProcessIdentifier processIdentifier = 0;
    std::optional<QString> bundleIdentifier;
    QString bundlePath;

    friend bool operator==(const RunningApplicationBundle &, const RunningApplicationBundle &) = default;
};

// Every process under `processRoot` (normally "/proc") that the workspace knows
// as a running application, in ascending process order, with its bundle.
// Processes whose executable cannot be read are left out, and so are those the
// workspace does not know or reports as terminated.
// The bundle an executable at `executablePath` belongs to, by the path alone.
QString bundlePathOfExecutable(const QString &executablePath);

QList<RunningApplicationBundle> runningApplicationBundles(
    const Workspace &workspace, const QString &processRoot = QStringLiteral("/proc"));

} // namespace tovra
