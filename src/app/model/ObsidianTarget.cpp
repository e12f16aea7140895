#include "app/model/ObsidianTarget.h"

namespace tovra::app {

bool hasObsidianBundleIdentifier(const std::optional<QString> &bundleIdentifier)
{
    static const QString obsidianID = QStringLiteral("md.obsidian");
    return bundleIdentifier
        && (bundleIdentifier->compare(obsidianID, Qt::CaseInsensitive) == 0
            || bundleIdentifier->startsWith(obsidianID + QLatin1Char('.'), Qt::CaseInsensitive));
}

bool isObsidian(const std::optional<QString> &bundleIdentifier, const QString &applicationName)
{
    return hasObsidianBundleIdentifier(bundleIdentifier)
        || applicationName.compare(QLatin1String("Obsidian"), Qt::CaseInsensitive) == 0;
}

} // namespace tovra::app
