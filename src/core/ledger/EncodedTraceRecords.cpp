#include "core/ledger/EncodedTraceRecords.h"

#include "core/ledger/LedgerJsonWriter.h"
#include "core/ledger/LedgerRecordScanner.h"

#include <QHash>

#include <algorithm>

namespace tovra {

EncodedTraceRecords::EncodedTraceRecords(QByteArray document, qsizetype begin, QList<qsizetype> ends)
    : m_document(std::move(document))
    , m_begin(begin)
    , m_ends(std::move(ends))
{
}

EncodedTraceRecords EncodedTraceRecords::encode(const QList<TraceRecord> &records)
{
    return EncodedTraceRecords().updated({}, records);
}

QByteArrayView EncodedTraceRecords::text() const
{
    if (m_ends.isEmpty())
        return {};
    return QByteArrayView(m_document).sliced(m_begin, m_ends.last() - m_begin);
}

QByteArrayView EncodedTraceRecords::record(qsizetype index) const
{
    const qsizetype start = index == 0 ? m_begin : m_ends.at(index - 1) + 1;
    return QByteArrayView(m_document).sliced(start, m_ends.at(index) - start);
}

EncodedTraceRecords EncodedTraceRecords::updated(
    const QList<TraceRecord> &previous, const QList<TraceRecord> &records) &&
{
    const qsizetype limit = std::min(previous.size(), records.size());
    qsizetype same = 0;
    while (same < limit && previous.at(same) == records.at(same))
        ++same;

    if (same == previous.size() && same == records.size())
        return std::move(*this);
    if (same == previous.size() && same > 0) {
        // Only appended: the text grows at its end, after it is made the
        // whole document once.
        if (m_begin != 0 || m_ends.last() != m_document.size())
            m_document = text().toByteArray();
        const qsizetype offset = m_begin;
        for (qsizetype &end : m_ends)
            end -= offset;
        m_begin = 0;
        for (qsizetype index = same; index < records.size(); ++index) {
            JsonTextWriter writer;
            LedgerJsonWriter::write(writer, records.at(index));
            const QByteArray json = writer.take();
            m_readsBack = m_readsBack && readsBack(json);
            m_document.append(',').append(json);
            m_ends.append(m_document.size());
        }
        return std::move(*this);
    }

    QHash<QUuid, qsizetype> previousByID;
    previousByID.reserve(previous.size() - same);
    for (qsizetype index = same; index < previous.size(); ++index)
        previousByID.insert(previous.at(index).id, index);
    JsonTextWriter writer(text().size() + 1024);
    QList<qsizetype> ends;
    ends.reserve(records.size());
    bool allReadBack = m_readsBack;
    for (qsizetype index = 0; index < records.size(); ++index) {
        const TraceRecord &record = records.at(index);
        const qsizetype match = index < same ? index : previousByID.value(record.id, -1);
        if (match >= 0 && (index < same || previous.at(match) == record)) {
            writer.encoded(this->record(match));
        } else {
            JsonTextWriter single;
            LedgerJsonWriter::write(single, record);
            const QByteArray json = single.take();
            allReadBack = allReadBack && readsBack(json);
            writer.encoded(json);
        }
        ends.append(writer.size());
    }
    EncodedTraceRecords encoded(writer.take(), 0, std::move(ends));
    encoded.m_readsBack = allReadBack;
    return encoded;
}

bool EncodedTraceRecords::readsBack(QByteArrayView record)
{
    JsonTextScanner scanner(record);
    return LedgerRecordScanner::read(scanner, static_cast<TraceRecord *>(nullptr)) && scanner.atEnd();
}

} // namespace tovra
