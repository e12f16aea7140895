#pragma once

#include "app/data/AppFeedbackState.h"
#include "app/data/ClipboardShelfTarget.h"
#include "app/data/DenylistEntry.h"
#include "app/data/MainPanelSection.h"
#include "app/data/NativeHostStatus.h"
#include "app/data/ObservationModeStatus.h"
#include "app/data/ObsidianResolverStatus.h"
#include "app/data/ProvenanceRecord.h"
#include "app/data/RecordDateFilter.h"
#include "app/data/TraceConfidence.h"
#include "core/citations/CitationFormat.h"
#include "core/clipboard/SessionClipboardItem.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace tovra::app {

// Everything the model publishes to the views, in one place. The model
// changes it only on the GUI thread and announces each change of a field
// with that field's TovraAppModelField.
struct TovraAppModelState {
    QList<ProvenanceRecord> records;
    QList<DenylistEntry> denylistEntries;
    NativeHostStatus nativeHostStatus = NativeHostStatus::unknown;
    ObsidianResolverStatus obsidianResolverStatus = ObsidianResolverStatus::inactive;
    // Busy flags: while one is set, a second start of its operation does nothing.
    bool isLoading = false;
    bool isPasting = false;
    bool isExporting = false;
    bool isUpdatingPauseState = false;
    ObservationModeStatus observationStatus = ObservationModeStatus::dedicated;
    bool accessibilityIsTrusted = false;
    bool inputMonitoringIsTrusted = false;
    QList<SessionClipboardItem> clipboardItems;
    // The history item whose content is on the system pasteboard now.
    std::optional<QUuid> currentClipboardItemID;
    // Where a history item would be pasted back.
    std::optional<ClipboardShelfTarget> clipboardShelfTarget;
    std::optional<QString> nativeHostInstallationMessage;
    bool nativeHostInstallationSucceeded = false;
    bool isPaused = false;
    bool observationEnabled = false;
    bool obsidianCitationEnabled = false;
    CitationFormat citationFormat = CitationFormat::inline_;
    CitationLinkMode citationLinkMode = CitationLinkMode::webWhenAvailable;
    // The records list's filters.
    QString searchText;
    std::optional<QString> selectedDomain;
    std::optional<QString> selectedApplication;
    std::optional<TraceConfidence> selectedConfidence;
    RecordDateFilter dateFilter = RecordDateFilter::all;
    MainPanelSection mainPanelSection = MainPanelSection::clipboard;
    std::optional<QUuid> selectedClipboardItemID;
    QString nativeHostExtensionID;
    // Windows and dialogs the views open while the flag is set.
    bool showAccessibilityEducation = false;
    bool showObservationEducation = false;
    bool showSettings = false;
    bool showDenylist = false;
    bool showClearConfirmation = false;
    bool showClipboardClearConfirmation = false;
    // The record whose deletion waits for the user's confirmation.
    std::optional<ProvenanceRecord> pendingDeletion;
    AppFeedbackState feedback;
};

// The fields of TovraAppModelState, in the same order.
enum class TovraAppModelField {
    records,
    denylistEntries,
    nativeHostStatus,
    obsidianResolverStatus,
    isLoading,
    isPasting,
    isExporting,
    isUpdatingPauseState,
    observationStatus,
    accessibilityIsTrusted,
    inputMonitoringIsTrusted,
    clipboardItems,
    currentClipboardItemID,
    clipboardShelfTarget,
    nativeHostInstallationMessage,
    nativeHostInstallationSucceeded,
    isPaused,
    observationEnabled,
    obsidianCitationEnabled,
    citationFormat,
    citationLinkMode,
    searchText,
    selectedDomain,
    selectedApplication,
    selectedConfidence,
    dateFilter,
    mainPanelSection,
    selectedClipboardItemID,
    nativeHostExtensionID,
    showAccessibilityEducation,
    showObservationEducation,
    showSettings,
    showDenylist,
    showClearConfirmation,
    showClipboardClearConfirmation,
    pendingDeletion,
    feedback,
};

} // namespace tovra::app
