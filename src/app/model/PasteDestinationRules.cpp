#include "app/model/PasteDestinationRules.h"

#include "app/data/LedgerRecordMapping.h"
#include "core/privacy/PrivacyGuard.h"

namespace tovra::app {

namespace {

// The application rules only: a destination has no address to test.
CustomDenylist applicationDenylist(const QList<DenylistEntry> &entries)
{
    CustomDenylist denylist;
    for (const DenylistEntry &entry : entries) {
        if (entry.kind == DenylistEntryKind::bundleID)
            denylist.bundleIDs.insert(entry.pattern);
    }
    return denylist;
}

std::optional<PasteExclusionReason> exclusion(const DestinationSnapshot &destination,
    const QList<DenylistEntry> &denylistEntries, bool isPaused, bool isPasteTarget)
{
    if (isPaused)
        return PasteExclusionReason::paused;
    // Terminals are excluded by default, whichever of them it is: a pasted
    // line goes to the program inside, and a copied one comes from it. Their
    // screen takes pastes though it is no editable field.
    if (destination.isTerminalEmulator)
        return PasteExclusionReason::deniedApplication;
    if (isPasteTarget && destination.isEditableTextTarget == false)
        return PasteExclusionReason::invalidDestination;
    if (!destination.bundleIdentifier || destination.bundleIdentifier->isEmpty()
        || PrivacyGuard::isTransientSystemApplicationBundleID(destination.bundleIdentifier))
        return PasteExclusionReason::invalidDestination;

    DestinationContext context;
    context.appBundleID = *destination.bundleIdentifier;
    context.appName = destination.applicationName;
    if (isPasteTarget)
        context.windowTitle = destination.windowTitle;
    context.fieldRole = destination.accessibilityRole;
    context.fieldLabel = destination.fieldLabel;
    context.isSecureTextEntry = destination.isSecureTextEntry;
    if (const auto reason = mapping::exclusionReason(
            PrivacyGuard::validateDestination(context, applicationDenylist(denylistEntries))))
        return reason;
    // Reading the clipboard into a field that may be a password field would
    // record what was typed into it: it gets the plain paste alone.
    if (isPasteTarget && !destination.isFocusExposed)
        return PasteExclusionReason::undisclosedField;
    return std::nullopt;
}

} // namespace

std::optional<PasteExclusionReason> pasteTargetExclusion(
    const DestinationSnapshot &destination, const QList<DenylistEntry> &denylistEntries, bool isPaused)
{
    return exclusion(destination, denylistEntries, isPaused, true);
}

std::optional<PasteExclusionReason> copySourceExclusion(
    const DestinationSnapshot &source, const QList<DenylistEntry> &denylistEntries, bool isPaused)
{
    return exclusion(source, denylistEntries, isPaused, false);
}

} // namespace tovra::app
