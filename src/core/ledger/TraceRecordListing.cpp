#include "core/ledger/TraceRecordListing.h"

namespace tovra {

QList<TraceRecord> TraceRecordListing::toList() const
{
    QList<TraceRecord> records;
    records.reserve(size());
    for (const qsizetype index : m_order)
        records.append(m_stored.at(index));
    return records;
}

} // namespace tovra
