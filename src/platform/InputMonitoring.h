#pragma once

#include <QUrl>

#include <optional>

namespace tovra {

// The permission to observe the keyboard of other applications.
class InputMonitoring {
public:
    virtual ~InputMonitoring() = default;

    // Whether key observation is allowed now, without asking the user.
    virtual bool isTrusted() const = 0;

    // Asks the system to let the user grant the permission and returns whether
    // it is granted now. On some systems a grant takes effect only after the
    // application is started again.
    virtual bool requestAccess() = 0;

    // Where the user grants the permission; none on systems without such a page.
    virtual std::optional<QUrl> systemSettingsURL() const = 0;
};

} // namespace tovra
