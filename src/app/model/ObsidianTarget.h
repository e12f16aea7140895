#pragma once

#include <QString>

#include <optional>

namespace tovra::app {

// Whether a paste target is Obsidian, where pastes may carry a Markdown
// citation and the resolver plug-in can take over a standard paste. Its
// application ID is "md.obsidian", which a desktop entry may extend
// ("md.obsidian.Obsidian"); without a matching ID, the name "Obsidian" tells.
// Letter case never matters.
bool isObsidian(const std::optional<QString> &bundleIdentifier, const QString &applicationName);

} // namespace tovra::app
