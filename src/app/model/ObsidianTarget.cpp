#include "app/model/ObsidianTarget.h"

#include "app/resolver/ResolverPeerValidator.h"

namespace tovra::app {

bool hasObsidianBundleIdentifier(const std::optional<QString> &bundleIdentifier)
{
    // Any other desktop entry may extend Obsidian's own ID as the Flatpak's
    // does.
    return bundleIdentifier
        && (ResolverPeerValidator::obsidianBundleIdentifiers().contains(
                *bundleIdentifier, Qt::CaseInsensitive)
            || bundleIdentifier->startsWith(QLatin1String("md.obsidian."), Qt::CaseInsensitive));
}

bool isObsidian(const std::optional<QString> &bundleIdentifier, const QString &applicationName)
{
    return hasObsidianBundleIdentifier(bundleIdentifier)
        || applicationName.compare(QLatin1String("Obsidian"), Qt::CaseInsensitive) == 0;
}

} // namespace tovra::app
