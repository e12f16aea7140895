#include "app/model/ObsidianTarget.h"

namespace tovra::app {

bool hasObsidianBundleIdentifier(const std::optional<QString> &bundleIdentifier)
{
    static const QString obsidianID = QStringLiteral("md.obsidian");
    // The desktop entry of Obsidian's own .deb and AppImage.
    static const QString packagedEntryID = QStringLiteral("obsidian");
    return bundleIdentifier
        && (bundleIdentifier->compare(obsidianID, Qt::CaseInsensitive) == 0
            || bundleIdentifier->startsWith(obsidianID + QLatin1Char('.'), Qt::CaseInsensitive)
            || bundleIdentifier->compare(packagedEntryID, Qt::CaseInsensitive) == 0);
}

bool isObsidian(const std::optional<QString> &bundleIdentifier, const QString &applicationName)
{
    return hasObsidianBundleIdentifier(bundleIdentifier)
        || applicationName.compare(QLatin1String("Obsidian"), Qt::CaseInsensitive) == 0;
}

} // namespace tovra::app
