#pragma once

#include <QString>

#include <optional>

namespace tovra {

// What the resolver server reports to the app model. The raw values are the
// words the model maps onto its own resolver status.
enum class ResolverServerStatus {
    stopped,
    listening,
    connected,
    failed,
};

QString rawValue(ResolverServerStatus status);

// Exact, case-sensitive match on the raw value; any other text yields nothing.
std::optional<ResolverServerStatus> resolverServerStatusFromRawValue(const QString &rawValue);

} // namespace tovra
