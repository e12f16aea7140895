#pragma once

#include "app/data/AppFailure.h"
#include "app/data/ExportFormat.h"
#include "app/data/PasteExclusionReason.h"
#include "app/model/TovraAppModelState.h"
#include "app/resolver/ResolverServerStatus.h"
#include "core/clipboard/SessionClipboardShelf.h"
#include "platform/AccessibilityPermissionController.h"
#include "platform/ApplicationBundle.h"
#include "platform/BackgroundWork.h"
#include "platform/ClipboardCommandEvent.h"
#include "platform/CommandVPaster.h"
#include "platform/DestinationContextInspector.h"
#include "platform/GlobalClipboardCommandObserver.h"
#include "platform/GlobalHotKeyController.h"
#include "platform/InputMonitoringPermissionController.h"
#include "platform/PasteboardChangeEvent.h"
#include "platform/PasteboardChangeObserver.h"
#include "platform/PasteboardTextSnapshot.h"
#include "platform/PermissionRelaunchIntentStore.h"
#include "platform/PlatformServices.h"

#include <QCoroTask>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimeZone>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

class QSettings;

namespace tovra {
class ChromeNativeHostManifestInstalling;
class SavePanel;
struct RunningApplication;
struct SessionClipboardImage;
} // namespace tovra

namespace tovra::app {

class TovraAppDataProviding;
class TovraDeepLinkMailbox;
class TraceDetailPresenting;

// What the model is built over. The platform services, the mailbox, the
// presenter and the save panel must outlive the model.
struct TovraAppModelServices {
    PlatformServices platform;
    // None: the default store over the user's ledger.
    std::shared_ptr<TovraAppDataProviding> dataProvider;
    PermissionRelaunchIntentStore permissionRelaunchIntentStore;
    // None: the installer for this executable and environment.
    std::shared_ptr<ChromeNativeHostManifestInstalling> nativeHostManifestInstaller;
    // The user's settings ("user defaults").
    std::shared_ptr<QSettings> userDefaults;
    TovraDeepLinkMailbox *deepLinkMailbox = nullptr;
    TraceDetailPresenting *traceDetailPresenter = nullptr;
    SavePanel *exportSavePanel = nullptr;
    ApplicationBundle bundle;
    // The user's time zone, in which the records' date filters count days.
    QTimeZone timeZone = QTimeZone::systemTimeZone();
    // Where work too long for the GUI thread runs: copied images decoded and
    // fingerprinted, exports rendered and written. None: a thread of the
    // model's own.
    std::shared_ptr<BackgroundWork> backgroundWork = nullptr;
};

// The app's one controller. It lives on the GUI thread, turns pasteboard
// changes, observed key commands, the hot key and the user's actions into
// ledger operations, pastes and feedback, and publishes its state for the
// views (state() and `changed`). An operation returns at once and does its
// work in a coroutine on the GUI thread; every coroutine checks after each
// wait that the model still exists.
class TovraAppModel : public QObject {
    Q_OBJECT

public:
    using State = TovraAppModelState;
    using Field = TovraAppModelField;

    // The last copy or cut seen by key observation, which the next pasteboard
    // change may be attributed to.
    struct PendingKeyboardCopy {
        ProcessIdentifier processIdentifier = 0;
        QDateTime occurredAt;

        bool operator==(const PendingKeyboardCopy &) const = default;
    };

    // Reads the settings; starts nothing.
    explicit TovraAppModel(TovraAppModelServices services, QObject *parent = nullptr);
    ~TovraAppModel() override;

    const State &state() const noexcept { return m_state; }
    // True only after a reload whose four requests all succeeded.
    bool hasLoadedPersistentState() const noexcept { return m_hasLoadedPersistentState; }
    const std::optional<PendingKeyboardCopy> &pendingKeyboardCopy() const noexcept
    {
        return m_pendingKeyboardCopy;
    }
    // The model's clock: what "now" is for everything it shows.
    QDateTime now() const;
    // Whether copies are followed on the pasteboard right now.
    bool isFollowingPasteboard() const noexcept { return m_pasteboardChangeObserver->isRunning(); }
    const AccessibilityPermissionController &accessibility() const noexcept { return m_accessibility; }
    const InputMonitoringPermissionController &inputMonitoring() const noexcept { return m_inputMonitoring; }
    // Where a grant that takes effect only after a relaunch is remembered.
    const PermissionRelaunchIntentStore &permissionRelaunchIntentStore() const noexcept
    {
        return m_permissionRelaunchIntentStore;
    }

    // --- Start-up ---

    // Once per process; later calls return at once.
    QCoro::Task<void> start();
    // Loads records, denylist, host status and the paused flag; a failure
    // shows as feedback, never to the caller.
    QCoro::Task<void> reload();
    // Awaited by the pause change and each denylist change before the ledger
    // is asked; drops a cached browser resolution.
    void setResolverCacheInvalidator(std::function<QCoro::Task<void>()> invalidator);

    // --- End ---

    // The app is ending: nothing is observed any more, hot-key presses,
    // activations and links are no longer taken, no failure is shown, and
    // the background tasks end when they next wake. Cannot be undone.
    void stop();
    bool isStopping() const noexcept { return m_isStopping; }

    // --- Feedback ---

    void showNotice(const QString &message, const QString &systemImage, AppFeedbackScope scope);
    void publishFailure(
        const QString &title, const QString &message, AppFeedbackScope scope, AppRecoveryAction recovery);
    // Clears the scope's notice and failure before an operation starts.
    void beginFeedback(AppFeedbackScope scope);
    // The retry button: runs the failure's recovery if it is still the current one.
    void recover(const AppFailure &failure);
    void dismissNotice();
    void dismissFailure();

    // --- Records, filters and export ---

    void setSearchText(const QString &text);
    void setSelectedDomain(const std::optional<QString> &domain);
    void setSelectedApplication(const std::optional<QString> &application);
    void setSelectedConfidence(std::optional<TraceConfidence> confidence);
    void setDateFilter(RecordDateFilter filter);
    bool hasActiveFilters() const;
    void resetFilters();
    // The filter menus' choices, sorted for people.
    QStringList domains() const;
    QStringList destinationApplications() const;
    // The records passing the filters, newest paste first; computed on each call.
    QList<ProvenanceRecord> filteredRecords() const;
    void setPendingDeletion(const std::optional<ProvenanceRecord> &record);
    void confirmDelete();
    void setShowClearConfirmation(bool show);
    void clearAllRecords();
    // Asks where to save the filtered records and writes them.
    void exportRecords(ExportFormat format);
    // The MIME type of a format's files.
    static QString contentType(ExportFormat format);

    // --- Pause, observation and permissions ---

    void togglePaused();
    void refreshObservationMode();
    void restartObservationMode();
    void setObservationEnabled(bool enabled);
    void requestAccessibilityPermission();
    void requestObservationPermissions();
    void refreshPermissions();
    // After a launch that followed a request for Input Monitoring.
    void presentPermissionRelaunchRecovery();
    void setShowAccessibilityEducation(bool show);
    void setShowObservationEducation(bool show);

    // --- Integration settings ---

    void setNativeHostExtensionID(const QString &extensionID);
    bool nativeHostExtensionIDIsValid() const;
    void installChromeNativeHostManifest();
    void setObsidianCitationEnabled(bool enabled);
    void setCitationFormat(CitationFormat format);
    // The settings' sample citation in the current format and link mode.
    QString citationPreview() const;
    // The resolver's commit and status callbacks.
    void upsertCommittedObsidianRecord(const ProvenanceRecord &record);
    void updateObsidianResolverStatus(ResolverServerStatus status);
    void revealCurrentApplication();
    QString appVersionDescription() const;

    // --- Windows ---

    void setMainPanelSection(MainPanelSection section);
    void setShowSettings(bool show);
    void setShowDenylist(bool show);

    // --- Denylist ---

    // The pattern comes trimmed and not empty from the editor.
    void addDenylistEntry(DenylistEntryKind kind, const QString &pattern);
    // Does nothing for a built-in protection.
    void removeDenylistEntry(const DenylistEntry &entry);

    // --- Trace links ---

    // "tovra://trace/<uuid>": shows the record, or why it cannot be shown.
    QCoro::Task<void> handleTraceURL(QUrl url);
    // Web sources open in the browser, anything else in the detail window.
    void openSource(const ProvenanceRecord &record);

    // --- Pastes ---

    // The hot key's traced paste of the pasteboard text.
    void requestTracePaste();
    // Pastes a history item (the selected one when none is given) back.
    void requestHistoricalPaste(std::optional<QUuid> itemID);

    // --- Session history ---

    void refreshClipboardShelfTarget();
    QString clipboardShelfTargetTitle() const;
    std::optional<SessionClipboardItem> selectedClipboardItem() const;
    bool canPasteSelectedClipboardItem() const;
    // The history list's selection setter: applied after one turn of the
    // event loop, and only if the selection did not change meanwhile.
    void deferClipboardSelectionUpdate(std::optional<QUuid> id);
    void setClipboardItemAsCurrent(QUuid id);
    void deleteClipboardItem(QUuid id);
    void setShowClipboardClearConfirmation(bool show);
    void clearClipboardHistory();
    // Removes pending sources whose removal failed before.
    void retryPendingSourceCleanup(QSet<QUuid> ids);

signals:
    void changed(tovra::app::TovraAppModelField field);

private:
    // Start-up
    void registerHotKey();
    void startBackgroundTasks();
    QCoro::Task<void> refreshTargetAfterActivation();
    QCoro::Task<void> expireClipboardHistoryPeriodically();
    void startHandlingTraceURL(const QUrl &url);

    // Records and export
    QCoro::Task<void> deleteRecord(ProvenanceRecord record);
    QCoro::Task<void> clearRecords();
    QCoro::Task<void> runExport(ExportFormat format);

    // Pause and observation
    QCoro::Task<void> storePausedState(bool target);
    void startPasteboardInference();
    void startKeyObservation();
    void refreshPermissionState();

    // Awaited before every change the resolver may have cached an answer for.
    QCoro::Task<void> invalidateResolverCache();

    // Denylist
    QCoro::Task<void> runAddDenylistEntry(DenylistEntryKind kind, QString pattern);
    QCoro::Task<void> runRemoveDenylistEntry(DenylistEntry entry);
    QCoro::Task<int> purgeClipboardItems(DenylistEntry entry);

    // Pastes
    QCoro::Task<void> performTracePaste();
    std::optional<PasteExclusionReason> immediateExclusion(const DestinationSnapshot &destination) const;
    QCoro::Task<void> performHistoricalPaste(QUuid itemID);
    QCoro::Task<void> performHistoricalImagePaste(SessionClipboardItem item, SessionClipboardImage image);
    void putRecordInFront(const ProvenanceRecord &record);
    // A paste run's failure: the history is re-read from the pasteboard, then
    // the failure is shown.
    QCoro::Task<void> publishPasteFailure(
        std::exception_ptr failure, QString title, AppRecoveryAction recovery);
    // The target every paste settles on: inspected, brought forward, tested,
    // asked about in a preflight (only while the test finds nothing),
    // reconfirmed and tested again. `exclusion` is the first reason of the
    // second test, the first test and the preflight.
    struct ConfirmedPasteTarget {
        InspectedDestination target;
        std::optional<PasteExclusionReason> exclusion;
    };
    QCoro::Task<ConfirmedPasteTarget> confirmPasteTarget();
    QCoro::Task<void> pasteTracedText(InspectedDestination target, PasteboardTextSnapshot clipboard);
    QCoro::Task<void> pasteHistoricalText(SessionClipboardItem item, QString text);
    // A copy made right before the hot key may still be on its way to the
    // ledger: it is seen now and waited for, for a bounded time, before the
    // traced paste reads the pasteboard; from then on the run's own writes
    // are the only changes, and the copy capture leaves them alone.
    QCoro::Task<void> awaitCopyCapturesBeforeTracedRead();
    // Citations are on and the target is Obsidian.
    bool citesInto(const DestinationSnapshot &target) const;
    // isPasting and the pasteboard bookkeeping of one paste run.
    void beginPasteRun();
    void finishPasteRun();
    // After this app wrote to the pasteboard (or tried to): a change count
    // the write moved the pasteboard to is this app's own.
    void noteOwnPasteboardWrite(qint64 changeCountBefore);

    // Copy capture and key commands
    QCoro::Task<void> handlePasteboardChange(PasteboardChangeEvent event);
    std::optional<PasteExclusionReason> sourceExclusion(const DestinationSnapshot &destination) const;
    void scheduleClipboardSourceEnrichment(
        PasteboardTextSnapshot clipboard, QUuid shelfItemID, QDateTime capturedAt);
    QCoro::Task<void> enrichClipboardSource(PasteboardTextSnapshot clipboard, QUuid shelfItemID,
        QDateTime capturedAt, std::chrono::milliseconds delay);
    QCoro::Task<void> handleClipboardCommand(ClipboardCommandEvent event);
    std::optional<RunningApplication> applicationForObservedEvent(const ClipboardCommandEvent &event) const;

    // Session history
    QCoro::Task<void> reloadClipboardShelf(std::optional<QUuid> preferred);
    QCoro::Task<void> refreshCurrentClipboardShelfItem();
    QCoro::Task<void> applyDeferredSelection(std::optional<QUuid> id, std::optional<QUuid> previous);
    QCoro::Task<void> runSetClipboardItemAsCurrent(QUuid id);
    QCoro::Task<void> runDeleteClipboardItem(QUuid id);
    QCoro::Task<void> runClearClipboardHistory();
    QCoro::Task<void> runPendingSourceCleanup(QSet<QUuid> ids);

    QSettings &userDefaults() const { return *m_userDefaults; }

    // Sets a published field and announces it when its value changed.
    template <typename T> void publish(T State::*member, std::type_identity_t<T> value, Field field)
    {
        if constexpr (std::equality_comparable<T>) {
            if (m_state.*member == value)
                return;
        }
        m_state.*member = std::move(value);
        emit changed(field);
    }

    State m_state;

    PlatformServices m_platform;
    std::shared_ptr<TovraAppDataProviding> m_dataProvider;
    AccessibilityPermissionController m_accessibility;
    InputMonitoringPermissionController m_inputMonitoring;
    PermissionRelaunchIntentStore m_permissionRelaunchIntentStore;
    std::shared_ptr<ChromeNativeHostManifestInstalling> m_nativeHostManifestInstaller;
    std::shared_ptr<QSettings> m_userDefaults;
    TovraDeepLinkMailbox &m_deepLinkMailbox;
    TraceDetailPresenting &m_traceDetailPresenter;
    SavePanel &m_exportSavePanel;
    ApplicationBundle m_bundle;
    QTimeZone m_timeZone;
    std::shared_ptr<BackgroundWork> m_backgroundWork;
    GlobalHotKeyController m_hotKeyController;
    GlobalClipboardCommandObserver m_clipboardCommandObserver;
    PasteboardChangeObserver *m_pasteboardChangeObserver;
    SessionClipboardShelf m_clipboardShelf;
    DestinationContextInspector *m_inspector;
    CommandVPaster m_paster;

    std::function<QCoro::Task<void>()> m_resolverCacheInvalidator;
    bool m_hasStarted = false;
    bool m_isStopping = false;
    bool m_hasLoadedPersistentState = false;
    std::optional<PendingKeyboardCopy> m_pendingKeyboardCopy;
    // Count the user's pause and denylist changes, so that a reload whose
    // answers were read before a change does not put the old value back.
    quint64 m_pauseChangeCount = 0;
    quint64 m_denylistChangeCount = 0;
    // The pasteboard's change count as the running paste left it by its own
    // writes (as the copy capture had last seen it before any): the run's end
    // hides its writes from the copy capture and no copy the user made
    // meanwhile.
    qint64 m_pasteRunChangeCount = 0;
    // A traced paste that has not read the pasteboard yet lets the copy
    // capture handle the user's copies; it writes nothing before that read.
    bool m_pasteRunTakesCopies = false;
    int m_copyCapturesInFlight = 0;
};

} // namespace tovra::app
