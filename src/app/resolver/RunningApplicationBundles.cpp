#include "app/resolver/RunningApplicationBundles.h"

#include "app/resolver/ResolverPeerValidator.h"
#include "platform/Workspace.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tovra {

QString bundlePathOfExecutable(const QString &executablePath)
{
    const QString folder = QFileInfo(executablePath).path();
    const QString bundleContents = QStringLiteral("/Contents/MacOS");
    if (folder.endsWith(bundleContents) && folder.size() > bundleContents.size())
        return folder.chopped(bundleContents.size());
    return folder;
}

QList<RunningApplicationBundle> runningApplicationBundles(
    const Workspace &workspace, const QString &processRoot)
{
    QList<ProcessIdentifier> processes;
    const QStringList entries = QDir(processRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const ProcessIdentifier process = entry.toInt(&isNumber);
        if (isNumber && process > 0)
            processes.append(process);
    }
    std::sort(processes.begin(), processes.end());

    QList<RunningApplicationBundle> bundles;
    for (const ProcessIdentifier process : std::as_const(processes)) {
        const std::optional<RunningApplication> application = workspace.runningApplication(process);
        if (!application || application->isTerminated)
            continue;
        const std::optional<QString> executable = ResolverPeerValidator::executablePath(process, processRoot);
        if (!executable)
            continue;
        bundles.append({ process, application->bundleIdentifier, bundlePathOfExecutable(*executable) });
    }
    return bundles;
}

} // namespace tovra
