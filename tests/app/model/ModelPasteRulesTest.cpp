#include "app/model/ObsidianTarget.h"
#include "app/model/PasteDestinationRules.h"
#include "app/model/StandardPasteDelegation.h"

#include <gtest/gtest.h>

#include <functional>

namespace tovra::app {
namespace {

TEST(ModelPasteRulesTest, ObsidianIsKnownByItsIDOrElseByItsName)
{
    const struct {
        std::optional<QString> id;
        const char *name;
        bool obsidian;
    } cases[] = {
        { QStringLiteral("MD.Obsidian"), "Notes", true },
        { QStringLiteral("md.obsidian.Obsidian"), "", true },
        { QStringLiteral("md.obsidianfork"), "", false },
        { QStringLiteral("Obsidian"), "", true },
        { QStringLiteral("obsidian-notes"), "", false },
        { QStringLiteral("org.example.Notes"), "obsidian", true },
        { std::nullopt, "Obsidian Notes", false },
    };
    for (const auto &c : cases)
        EXPECT_EQ(isObsidian(c.id, QString::fromUtf8(c.name)), c.obsidian)
            << c.id.value_or("-").toStdString();

    DestinationSnapshot notes;
    notes.bundleIdentifier = QStringLiteral("md.obsidian.Obsidian");
    DestinationSnapshot editor;
    editor.bundleIdentifier = QStringLiteral("org.example.Editor");
    // Named like the notes app, but not it: its pastes are not the plug-in's.
    DestinationSnapshot namesake;
    namesake.applicationName = QStringLiteral("Obsidian");
    namesake.bundleIdentifier = QStringLiteral("org.example.Obsidian");
    DestinationSnapshot unidentified;
    unidentified.applicationName = QStringLiteral("Obsidian");
    for (const auto status : { ObsidianResolverStatus::inactive, ObsidianResolverStatus::starting,
             ObsidianResolverStatus::listening, ObsidianResolverStatus::connected,
             ObsidianResolverStatus::failed }) {
        EXPECT_EQ(shouldDelegateStandardPasteToConnectedAdapter(notes, status),
            status == ObsidianResolverStatus::connected);
        EXPECT_FALSE(shouldDelegateStandardPasteToConnectedAdapter(editor, status));
        EXPECT_FALSE(shouldDelegateStandardPasteToConnectedAdapter(namesake, status));
        EXPECT_FALSE(shouldDelegateStandardPasteToConnectedAdapter(unidentified, status));
    }
}

// A paste target and a copying application pass the same rules, except that
// only a target must take text.
TEST(ModelPasteRulesTest, TargetsAndSourcesAreExcludedByTheSameRulesSaveTheFieldTest)
{
    using Reason = PasteExclusionReason;
    const QList<DenylistEntry> rules { { DenylistEntryKind::bundleID, QStringLiteral("ORG.EXAMPLE.VAULT") },
        { DenylistEntryKind::domain, QStringLiteral("example.org") } };
    const struct {
        const char *name;
        std::function<void(DestinationSnapshot &)> change;
        bool paused;
        std::optional<Reason> asTarget;
        std::optional<Reason> asSource;
    } cases[] = {
        { "an ordinary field, domain rules aside", nullptr, false, std::nullopt, std::nullopt },
        { "paused", nullptr, true, Reason::paused, Reason::paused },
        { "not editable", [](auto &d) { d.isEditableTextTarget = false; }, false, Reason::invalidDestination,
            std::nullopt },
        { "no application ID", [](auto &d) { d.bundleIdentifier = QString(); }, false,
            Reason::invalidDestination, Reason::invalidDestination },
        { "the desktop shell", [](auto &d) { d.bundleIdentifier = QStringLiteral("org.gnome.Shell"); }, false,
            Reason::invalidDestination, Reason::invalidDestination },
        { "denylisted", [](auto &d) { d.bundleIdentifier = QStringLiteral("org.example.Vault"); }, false,
            Reason::deniedApplication, Reason::deniedApplication },
        { "the window manager", [](auto &d) { d.bundleIdentifier = QStringLiteral("openbox"); }, false,
            Reason::invalidDestination, Reason::invalidDestination },
        { "a terminal on no list, whose screen is no editable field",
            [](auto &d) {
                d.isTerminalEmulator = true;
                d.isEditableTextTarget = false;
            },
            false, Reason::deniedApplication, Reason::deniedApplication },
        { "a password field", [](auto &d) { d.isSecureTextEntry = true; }, false, Reason::sensitiveField,
            Reason::sensitiveField },
        { "an application that describes no field", [](auto &d) { d.isFocusExposed = false; }, false,
            Reason::undisclosedField, std::nullopt },
        { "a denylisted application that describes no field",
            [](auto &d) {
                d.isFocusExposed = false;
                d.bundleIdentifier = QStringLiteral("org.example.Vault");
            },
            false, Reason::deniedApplication, Reason::deniedApplication },
    };
    for (const auto &c : cases) {
        DestinationSnapshot destination;
        destination.applicationName = QStringLiteral("Editor");
        destination.bundleIdentifier = QStringLiteral("org.example.Editor");
        destination.windowTitle = QStringLiteral("example.org - notes");
        if (c.change)
            c.change(destination);
        EXPECT_EQ(pasteTargetExclusion(destination, rules, c.paused), c.asTarget) << c.name;
        EXPECT_EQ(copySourceExclusion(destination, rules, c.paused), c.asSource) << c.name;
    }
}

} // namespace
} // namespace tovra::app
