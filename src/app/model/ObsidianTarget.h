#pragma once

#include <QString>

#include <optional>

namespace tovra::app {

// Whether an application ID is Obsidian's: "md.obsidian", which a desktop
// entry may extend (the Flatpak's "md.obsidian.Obsidian"), or "obsidian", the
// entry its own packages install. Letter case never matters.
bool hasObsidianBundleIdentifier(const std::optional<QString> &bundleIdentifier);

// Whether a paste target is Obsidian, where pastes may carry a Markdown
// citation: by its application ID, else by the name "Obsidian".
bool isObsidian(const std::optional<QString> &bundleIdentifier, const QString &applicationName);

} // namespace tovra::app
