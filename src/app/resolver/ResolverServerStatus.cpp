#include "app/resolver/ResolverServerStatus.h"

#include <array>
#include <utility>

namespace tovra {

namespace {

constexpr std::array<std::pair<ResolverServerStatus, const char *>, 4> rawValues { {
    { ResolverServerStatus::stopped, "stopped" },
    { ResolverServerStatus::listening, "listening" },
    { ResolverServerStatus::connected, "connected" },
    { ResolverServerStatus::failed, "failed" },
} };

} // namespace

QString rawValue(ResolverServerStatus status)
{
    for (const auto &[candidate, text] : rawValues) {
        if (candidate == status)
            return QString::fromLatin1(text);
    }
    return {};
}

std::optional<ResolverServerStatus> resolverServerStatusFromRawValue(const QString &rawValue)
{
    for (const auto &[status, text] : rawValues) {
        if (rawValue == QLatin1String(text))
            return status;
    }
    return std::nullopt;
}

} // namespace tovra
