#include "core/ledger/LedgerMigrations.h"

#include "core/records/LedgerSnapshot.h"

#include <stdexcept>
#include <string>

namespace tovra {

LedgerMigrations LedgerMigrations::standard()
{
    // Version 1 is the first layout; the step to each later version is added
    // here together with the new LedgerSnapshot::currentVersion.
    return LedgerMigrations(LedgerSnapshot::oldestSupportedVersion, LedgerSnapshot::currentVersion, {});
}

LedgerMigrations::LedgerMigrations(int oldestSupportedVersion, int currentVersion, std::map<int, Step> steps)
    : m_oldestSupportedVersion(oldestSupportedVersion)
    , m_currentVersion(currentVersion)
    , m_steps(std::move(steps))
{
    if (oldestSupportedVersion > currentVersion)
        throw std::invalid_argument("the oldest supported ledger version is newer than the current one");
    for (int version = oldestSupportedVersion; version < currentVersion; ++version) {
        const auto step = m_steps.find(version);
        if (step == m_steps.end() || !step->second)
            throw std::invalid_argument("no ledger migration from version " + std::to_string(version));
    }
}

QJsonObject LedgerMigrations::upgrade(QJsonObject object, int version) const
{
    if (version < m_oldestSupportedVersion || version > m_currentVersion)
        throw std::invalid_argument("ledger version " + std::to_string(version) + " cannot be migrated");
    for (; version < m_currentVersion; ++version)
        object = m_steps.at(version)(object);
    return object;
}

} // namespace tovra
