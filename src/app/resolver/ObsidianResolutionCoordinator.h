#pragma once

#include "app/data/ProvenanceRecord.h"
#include "app/data/SerialJobQueue.h"
#include "core/citations/CitationFormat.h"
#include "core/citations/CitationSource.h"
#include "core/resolver/ResolverResponses.h"

#include <QByteArray>
#include <QCoroTask>
#include <QDateTime>
#include <QHash>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace tovra {

namespace app {
class TovraAppDataProviding;
} // namespace app

// The resolver protocol's state for the whole app: the resolutions handed to
// the Obsidian plug-in and not yet acknowledged, and the browser source
// resolved last, kept for reuse while the same content stays on the
// pasteboard. The state is touched only on the coordinator's own thread, one
// job at a time; callers await their jobs and resume on their own thread.
class ObsidianResolutionCoordinator {
public:
    // Runs on the main thread with each record a resolver paste commits.
    using CommitHandler = std::function<void(app::ProvenanceRecord)>;

    // `dataProvider` is the very provider the app model uses.
    ObsidianResolutionCoordinator(
        std::shared_ptr<app::TovraAppDataProviding> dataProvider, CommitHandler onCommit);

    ObsidianResolutionCoordinator(const ObsidianResolutionCoordinator &) = delete;
    ObsidianResolutionCoordinator &operator=(const ObsidianResolutionCoordinator &) = delete;

    // Forgets the cached browser resolution and nothing else, so that a
    // source resolved before a pause or a denylist change is never offered
    // after it. Forgetting an empty cache does nothing.
    QCoro::Task<void> invalidateRecentChromeResolution();

    // How many resolutions are still pending at `at`: a resolution is pending
    // until its expiry time, and expired from that time on.
    QCoro::Task<int> pendingCount(QDateTime at);

    // The plug-in's three steps: the citation plan for the text about to be
    // pasted, and the acknowledgement of a citation or of the plain text it
    // inserted. This version serves none of them: each fails with
    // ResolverError (resolverUnavailable), on the coordinator's thread, and
    // changes nothing.
    QCoro::Task<ResolverCitationPlan> resolve(QUuid requestID, QUuid sessionID, QString clipboardText,
        qint64 pasteboardChangeCount, CitationFormat format, CitationLinkMode linkMode, QDateTime now);
    QCoro::Task<ResolverAckAccepted> acknowledge(
        QUuid requestID, QUuid resolutionID, QUuid sessionID, CitationFormat format, QDateTime now);
    QCoro::Task<ResolverAckAccepted> acknowledgePlainText(
        QUuid requestID, QUuid resolutionID, QUuid sessionID, QDateTime now);

private:
    friend class ObsidianResolutionCoordinatorTest;

    struct Citation {
        CitationFormat format = CitationFormat::inline_;
        bool operator==(const Citation &) const = default;
    };
    struct PlainText {
        bool operator==(const PlainText &) const = default;
    };
    // What the plug-in was told to insert: a citation in a format, or the
    // plain text alone.
    using PendingKind = std::variant<Citation, PlainText>;

    struct PendingResolution {
        QUuid sessionID;
        QUuid sourceID;
        QUuid traceID;
        PendingKind kind;
        QDateTime expiresAt;
    };

    struct RecentChromeResolution {
        qint64 pasteboardChangeCount = 0;
        QByteArray contentDigest;
        CitationSource source;
        QDateTime expiresAt;
    };

    std::shared_ptr<app::TovraAppDataProviding> m_dataProvider;
    CommitHandler m_onCommit;
    QHash<QUuid, PendingResolution> m_pending;
    std::optional<RecentChromeResolution> m_recentChromeResolution;
    // Declared last: destroyed first, so jobs still queued find the state.
    app::SerialJobQueue m_executor;
};

} // namespace tovra
