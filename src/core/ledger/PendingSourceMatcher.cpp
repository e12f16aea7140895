#include "core/ledger/PendingSourceMatcher.h"

namespace tovra {

bool PendingSourceMatcher::isUsable(
    const PendingSource &source, const QString &fingerprint, const QDateTime &at)
{
    return !source.isExpired(at) && source.contentFingerprint && *source.contentFingerprint == fingerprint;
}

bool PendingSourceMatcher::isBrowserCapture(const PendingSource &source)
{
    return source.captureMethod == CaptureMethod::chromeExtension
        || source.captureMethod == CaptureMethod::browserTargetAdapter;
}

std::optional<PendingSource> PendingSourceMatcher::bestMatch(
    const QList<PendingSource> &sources, const QString &fingerprint, const QDateTime &at)
{
    const PendingSource *best = nullptr;
    for (const PendingSource &source : sources) {
        if (!isUsable(source, fingerprint, at))
            continue;
        if (!best) {
            best = &source;
            continue;
        }
        const bool browser = isBrowserCapture(source);
        const bool bestIsBrowser = isBrowserCapture(*best);
        if (browser != bestIsBrowser) {
            if (browser)
                best = &source;
            continue;
        }
        if (source.capturedAt >= best->capturedAt)
            best = &source;
    }
    if (!best)
        return std::nullopt;
    return *best;
}

std::optional<PendingSource> PendingSourceMatcher::byID(
    const QList<PendingSource> &sources, const QUuid &id, const QString &fingerprint, const QDateTime &at)
{
    for (const PendingSource &source : sources) {
        if (source.id == id)
            return isUsable(source, fingerprint, at) ? std::optional(source) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<PendingSource> PendingSourceMatcher::preferring(const QList<PendingSource> &sources,
    const std::optional<QUuid> &preferredID, const QString &fingerprint, const QDateTime &at)
{
    if (preferredID) {
        if (auto preferred = byID(sources, *preferredID, fingerprint, at))
            return preferred;
    }
    return bestMatch(sources, fingerprint, at);
}

} // namespace tovra
