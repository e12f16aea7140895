#pragma once

#include "app/data/SourceSnapshot.h"
#include "app/data/TraceConfidence.h"
#include "platform/DestinationSnapshot.h"

#include <QUuid>

namespace tovra::app {

// The app's view of one recorded trace. `id` is the trace identifier: the
// record's identity in lists and the value a trace link names.
struct ProvenanceRecord {
    QUuid id;
    SourceSnapshot source;
    DestinationSnapshot destination;
    TraceConfidence confidence = TraceConfidence::inferred;

    bool operator==(const ProvenanceRecord &) const = default;
};

} // namespace tovra::app
