#pragma once

#include <QString>

#include <optional>

namespace tovra {

// The application content was copied from, as an application capture records it.
struct SourceApplication {
    // The display name.
    QString name;
    // The application ID (a bundle identifier on macOS).
    QString bundleID;
    std::optional<qint32> processIdentifier;

    bool operator==(const SourceApplication &) const = default;
};

} // namespace tovra
