#pragma once

#include "app/data/TraceConfidence.h"

#include <QColor>
#include <QString>

namespace tovra::app::views {

// How a record's confidence is shown wherever it appears (record rows, the
// confidence filter, the trace detail window): one set of words per case.
struct TraceConfidenceStyle {
    QString title;
    QString symbolName;
    QColor color;
    // What the record can and cannot prove.
    QString explanation;
};

TraceConfidenceStyle traceConfidenceStyle(TraceConfidence confidence);

} // namespace tovra::app::views
