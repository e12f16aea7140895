#pragma once

#include "app/data/ApplicationSnapshot.h"
#include "app/data/DenylistEntry.h"
#include "app/data/PasteCommit.h"
#include "app/data/PasteExclusionReason.h"
#include "app/data/ProvenanceRecord.h"
#include "core/ledger/DenylistRules.h"
#include "core/ledger/SourceApplication.h"
#include "core/records/DestinationContext.h"
#include "core/records/PasteCommitResult.h"
#include "core/records/RecordEnums.h"
#include "core/records/TraceRecord.h"

#include <optional>

// Translation between the ledger's records and the app's.
namespace tovra::app::mapping {

// The source end of a trace: an unknown source when the trace has none. The
// application name falls back to the application identifier, then to the
// browser for an extension capture, so a row never names nothing.
SourceSnapshot sourceSnapshot(const TraceRecord &trace);
DestinationSnapshot destinationSnapshot(const PasteRecord &paste);
ProvenanceRecord provenanceRecord(const TraceRecord &trace);
app::TraceConfidence traceConfidence(tovra::TraceConfidence confidence);

// The ledger's view of a destination: application identifier (empty when
// unknown), name (absent when blank), window title, field role and label,
// secure entry.
DestinationContext destinationContext(const DestinationSnapshot &destination);
SourceApplication sourceApplication(const ApplicationSnapshot &application);

// A rejection of the ledger as the app words it: a browser-only reason
// (incognito, invalid address) or a malformed request means the destination
// itself was not valid.
PasteExclusionReason exclusionReason(RejectionReason reason);
std::optional<PasteExclusionReason> exclusionReason(const std::optional<RejectionReason> &reason);
PasteCommit pasteCommit(const PasteCommitResult &result);

DenylistKind denylistKind(DenylistEntryKind kind);
DenylistEntryKind denylistEntryKind(DenylistKind kind);
DenylistEntry denylistEntry(const DenylistRule &rule);

} // namespace tovra::app::mapping
