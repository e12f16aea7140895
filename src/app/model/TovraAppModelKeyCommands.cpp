#include "app/data/TovraAppDataProviding.h"
#include "app/model/ErrorDescription.h"
#include "app/model/StandardPasteDelegation.h"
#include "app/model/TovraAppModel.h"
#include "platform/ObservedApplicationCandidate.h"
#include "platform/PasteboardImageSnapshot.h"
#include "platform/Workspace.h"

#include <QPointer>

namespace tovra::app {

namespace {

constexpr qint64 largestObservedImageBytes = 20'971'520;

std::optional<ObservedApplicationCandidate> candidateOf(const std::optional<RunningApplication> &application)
{
    if (!application)
        return std::nullopt;
    return ObservedApplicationCandidate { application->processIdentifier, application->bundleIdentifier };
}

// An observed paste tells only which application took it: what the focused
// field looked like when the key was seen is not known.
DestinationSnapshot applicationLevelDestination(DestinationSnapshot inspected, const QDateTime &pastedAt)
{
    inspected.windowTitle.reset();
    inspected.accessibilityRole.reset();
    inspected.fieldLabel.reset();
    inspected.pastedAt = pastedAt;
    return inspected;
}

} // namespace

void TovraAppModel::startKeyObservation()
{
    // The observer may call from any thread; the work runs on the model's,
    // and not at all once the model is gone.
    m_clipboardCommandObserver.start([this](const ClipboardCommandEvent &event) {
        QMetaObject::invokeMethod(this, [this, event] { handleClipboardCommand(event); });
    });
}

QCoro::Task<void> TovraAppModel::handleClipboardCommand(ClipboardCommandEvent event)
{
    QPointer<TovraAppModel> self(this);
    if (!m_state.observationEnabled || m_state.isPaused || !m_inputMonitoring.isTrusted()
        || !m_accessibility.isTrusted()) {
        refreshObservationMode();
        co_return;
    }
    const std::optional<RunningApplication> application = applicationForObservedEvent(event);
    if (!application || application->processIdentifier == m_platform.ownProcessIdentifier
        || !application->bundleIdentifier || application->bundleIdentifier->isEmpty())
        co_return;
    if (event.kind != ClipboardCommandKind::paste) {
        m_pendingKeyboardCopy = PendingKeyboardCopy { application->processIdentifier, event.occurredAt };
        co_return;
    }

    DestinationSnapshot inspected;
    try {
        inspected = m_inspector->inspect(application->processIdentifier).snapshot;
    } catch (...) {
        co_return;
    }
    if (immediateExclusion(inspected))
        co_return;
    const DestinationSnapshot destination = applicationLevelDestination(inspected, event.occurredAt);

    const Pasteboard &pasteboard = *m_platform.pasteboard;
    const PasteboardImageCaptureResult image
        = PasteboardImageSnapshot::capture(pasteboard, largestObservedImageBytes);
    PasteCommit commit;
    std::exception_ptr failure;
    try {
        switch (image.kind()) {
        case PasteboardImageCaptureResult::Kind::captured: {
            const std::optional<QByteArray> imageData = image.snapshot()->image.data();
            commit = co_await m_dataProvider->observeStandardImagePaste(destination, imageData);
            break;
        }
        case PasteboardImageCaptureResult::Kind::tooLarge:
        case PasteboardImageCaptureResult::Kind::unsupportedImage: {
            const std::optional<QByteArray> noImageData;
            commit = co_await m_dataProvider->observeStandardImagePaste(destination, noImageData);
            break;
        }
        case PasteboardImageCaptureResult::Kind::changed:
            co_return;
        case PasteboardImageCaptureResult::Kind::noImage: {
            // The connected plug-in records a text paste into Obsidian itself.
            if (shouldDelegateStandardPasteToConnectedAdapter(destination, m_state.obsidianResolverStatus))
                co_return;
            const std::optional<QString> text = pasteboard.string();
            commit = co_await m_dataProvider->observeStandardPaste(destination, text);
            break;
        }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure) {
        publishFailure(QStringLiteral("粘贴目标未记录"), errorDescription(failure),
            AppFeedbackScope::observation, AppRecoveryAction::retryObservation());
        co_return;
    }
    if (const ProvenanceRecord *record = commit.outcome.record())
        putRecordInFront(*record);
}

std::optional<RunningApplication> TovraAppModel::applicationForObservedEvent(
    const ClipboardCommandEvent &event) const
{
    const Workspace &workspace = *m_platform.workspace;
    std::optional<RunningApplication> eventTarget;
    if (event.targetProcessIdentifier)
        eventTarget = workspace.runningApplication(*event.targetProcessIdentifier);
    const std::optional<ProcessIdentifier> chosen
        = preferredObservedApplicationProcessIdentifier(candidateOf(eventTarget),
            candidateOf(workspace.frontmostApplication()), m_platform.ownProcessIdentifier);
    if (!chosen)
        return std::nullopt;
    std::optional<RunningApplication> application = workspace.runningApplication(*chosen);
    if (!application || application->isTerminated)
        return std::nullopt;
    return application;
}

} // namespace tovra::app
