#pragma once

#include "core/records/PendingSource.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace tovra {

// Chooses the pending source a content fingerprint belongs to. A source is
// usable at a time when it has not expired by then and carries the same
// fingerprint.
class PendingSourceMatcher {
public:
    static bool isUsable(const PendingSource &source, const QString &fingerprint, const QDateTime &at);

    // Of the usable sources, a browser capture wins over an application one
    // (the browser knows the page, an application capture only the program);
    // among equals the most recently captured wins, and of two captured at
    // the same instant the one stored later.
    static std::optional<PendingSource> bestMatch(
        const QList<PendingSource> &sources, const QString &fingerprint, const QDateTime &at);

    // The source with that id, when it is usable.
    static std::optional<PendingSource> byID(const QList<PendingSource> &sources, const QUuid &id,
        const QString &fingerprint, const QDateTime &at);

    // The preferred source when it is usable, else the best match.
    static std::optional<PendingSource> preferring(const QList<PendingSource> &sources,
        const std::optional<QUuid> &preferredID, const QString &fingerprint, const QDateTime &at);

    static bool isBrowserCapture(const PendingSource &source);
};

} // namespace tovra
