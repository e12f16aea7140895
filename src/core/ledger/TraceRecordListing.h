#pragma once

#include "core/records/TraceRecord.h"

#include <QList>

#include <vector>

namespace tovra {

// The records a listing keeps, in the order it shows them, read in place
// from the ledger's own list: at 10,000 records, copying each record before
// mapping it cost as much as the mapping itself.
class TraceRecordListing {
public:
    TraceRecordListing(QList<TraceRecord> stored, std::vector<qsizetype> order)
        : m_stored(std::move(stored))
        , m_order(std::move(order))
    {
    }

    qsizetype size() const { return qsizetype(m_order.size()); }
    const TraceRecord &at(qsizetype position) const { return m_stored.at(m_order.at(size_t(position))); }
    QList<TraceRecord> toList() const;

private:
    QList<TraceRecord> m_stored;
    std::vector<qsizetype> m_order;
};

} // namespace tovra
