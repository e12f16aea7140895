#pragma once

#include "platform/Workspace.h"

#include <QHash>

namespace tovra::testing {

// A workspace that knows exactly the applications a test gives it.
class FakeWorkspace final : public Workspace {
public:
    QHash<ProcessIdentifier, RunningApplication> applications;
    mutable int lookups = 0;

    void add(ProcessIdentifier process, const QString &bundleIdentifier, bool terminated = false)
    {
        applications.insert(
            process, RunningApplication { process, bundleIdentifier, bundleIdentifier, terminated });
    }

    std::optional<RunningApplication> frontmostApplication() const override { return std::nullopt; }
    std::optional<RunningApplication> runningApplication(ProcessIdentifier processIdentifier) const override
    {
        ++lookups;
        const auto found = applications.constFind(processIdentifier);
        if (found == applications.constEnd())
            return std::nullopt;
        return *found;
    }
    bool activateApplication(ProcessIdentifier) override { return false; }
    bool openURL(const QUrl &) override { return false; }
    bool revealFile(const QUrl &) override { return false; }
};

} // namespace tovra::testing
