#pragma once

#include "app/model/TraceDetailPresenting.h"

#include <QWidget>

namespace tovra::app::views {

// The content of the trace detail window: a recorded trace (its confidence,
// both ends, when it was pasted, what it can prove and its identifier), or
// why a trace cannot be shown. It shows the trace as it was handed over and
// never refreshes.
class TraceDetailView : public QWidget {
    Q_OBJECT

public:
    explicit TraceDetailView(const TraceDetailContent &content, QWidget *parent = nullptr);

private:
    void buildRecord(const ProvenanceRecord &record);
    void buildNotFound(const QString &message);
};

} // namespace tovra::app::views
