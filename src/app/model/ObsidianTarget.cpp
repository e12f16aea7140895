#include "app/model/ObsidianTarget.h"

namespace tovra::app {

bool isObsidian(const std::optional<QString> &bundleIdentifier, const QString &applicationName)
{
    static const QString obsidianID = QStringLiteral("md.obsidian");
    if (bundleIdentifier
        && (bundleIdentifier->compare(obsidianID, Qt::CaseInsensitive) == 0
            || bundleIdentifier->startsWith(obsidianID + QLatin1Char('.'), Qt::CaseInsensitive)))
        return true;
    return applicationName.compare(QLatin1String("Obsidian"), Qt::CaseInsensitive) == 0;
}

} // namespace tovra::app
