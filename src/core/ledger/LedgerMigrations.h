#pragma once

#include <QJsonObject>

#include <functional>
#include <map>

namespace tovra {

// The steps that bring an encoded ledger snapshot of an older layout up to the
// current one, one version at a time. A step takes the JSON object of version
// N and returns that of version N + 1 (with "version" set to N + 1); it may
// throw TovraJsonError for a document it cannot read.
class LedgerMigrations {
public:
    using Step = std::function<QJsonObject(const QJsonObject &)>;

    // The layouts this build reads: LedgerSnapshot's oldest supported version
    // up to its current one.
    static LedgerMigrations standard();

    // `steps` must hold a step from every version in [oldest, current).
    // Throws std::invalid_argument otherwise.
    LedgerMigrations(int oldestSupportedVersion, int currentVersion, std::map<int, Step> steps);

    int oldestSupportedVersion() const noexcept { return m_oldestSupportedVersion; }
    int currentVersion() const noexcept { return m_currentVersion; }

    // Runs the steps from `version` to the current version; `version` must be
    // a supported one.
    QJsonObject upgrade(QJsonObject object, int version) const;

private:
    int m_oldestSupportedVersion;
    int m_currentVersion;
    std::map<int, Step> m_steps;
};

} // namespace tovra
