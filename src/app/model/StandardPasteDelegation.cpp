#include "app/model/StandardPasteDelegation.h"

#include "app/model/ObsidianTarget.h"

namespace tovra::app {

bool shouldDelegateStandardPasteToConnectedAdapter(
    const DestinationSnapshot &destination, ObsidianResolverStatus resolverStatus)
{
    return resolverStatus == ObsidianResolverStatus::connected
        && hasObsidianBundleIdentifier(destination.bundleIdentifier);
}

} // namespace tovra::app
