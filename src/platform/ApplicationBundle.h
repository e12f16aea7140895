#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace tovra {

// What this program knows about its own installation: the versions it was
// built with and where its executable lies (what "reveal the app" shows).
struct ApplicationBundle {
    std::optional<QString> shortVersion;
    std::optional<QString> buildVersion;
    QUrl location;

    // The versions given to the build and this process's executable.
    static ApplicationBundle live();
};

} // namespace tovra
