#include "core/ledger/LedgerJsonReader.h"

#include "core/ledger/LedgerRecordScanner.h"
#include "core/ledger/ParallelParts.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tovra {

namespace {

// Records separated by commas from the scanner's position to the end of its
// text, checked only; `ends` takes where each ends.
bool checkRecords(JsonTextScanner &scanner, QList<qsizetype> &ends)
{
    do {
        if (!LedgerRecordScanner::read(scanner, static_cast<TraceRecord *>(nullptr)))
            return false;
        ends.append(scanner.position());
    } while (scanner.expect(","));
    return true;
}

template <typename Record> bool readElements(JsonTextScanner &scanner, QList<Record> &records)
{
    if (scanner.expect("]"))
        return true;
    do {
        Record record;
        if (!LedgerRecordScanner::read(scanner, &record))
            return false;
        records.append(std::move(record));
    } while (scanner.expect(","));
    return scanner.expect("]");
}

// In a file spelled as written this text opens a record and nothing else,
// since quotes inside strings are escaped; in any other file a part that
// starts or is counted by it fails to read, and so does the file.
constexpr QByteArrayView recordOpening = ",{\"confidence\":";

// No record is spelled in fewer bytes.
constexpr qsizetype shortestRecordBytes = 128;

// Where the parts of the records from `from`, where one starts, begin: each
// at a record opening, a part for every megabyte or so.
std::vector<qsizetype> partStarts(const QByteArray &json, qsizetype from)
{
    const qsizetype count = ParallelParts::count(json.size() - from);
    std::vector<qsizetype> starts { from };
    for (qsizetype index = 1; index < count; ++index) {
        const qsizetype after = std::max(starts.back(), from + (json.size() - from) * index / count);
        const qsizetype opening = QByteArrayView(json).indexOf(recordOpening, after);
        if (opening < 0)
            break;
        starts.push_back(opening + 1);
    }
    return starts;
}

// How many record openings `text` holds. They are found by their brace, of
// which a record has but a few, since a search for the whole opening stops
// at every colon of the text.
qsizetype recordOpeningCount(QByteArrayView text)
{
    static constexpr QByteArrayView brace = recordOpening.sliced(1);
    qsizetype count = 0;
    for (qsizetype at = text.indexOf('{', 1); at >= 0; at = text.indexOf('{', at + 1)) {
        if (text.at(at - 1) == ',' && text.sliced(at).startsWith(brace))
            ++count;
    }
    return count;
}

// The text that part `index` is read from, from the document's start on:
// but for the last, a part ends just before the comma that precedes the next.
QByteArrayView partText(const QByteArray &json, const std::vector<qsizetype> &starts, size_t index)
{
    return index + 1 < starts.size() ? QByteArrayView(json).first(starts[index + 1] - 1)
                                     : QByteArrayView(json);
}

// Whether a part's records end where the part does: the last part's with
// the array's "]", after which `end` is taken.
bool endsItsPart(JsonTextScanner &scanner, bool last, qsizetype &end)
{
    if (!last)
        return scanner.atEnd();
    if (!scanner.expect("]"))
        return false;
    end = scanner.position();
    return true;
}

// Checks the records from `from`, where one starts, up to and with the "]"
// of their array; `ends` takes where each record ends, `end` where the array
// does.
bool checkRecordsFrom(const QByteArray &json, qsizetype from, QList<qsizetype> &ends, qsizetype &end)
{
    const std::vector<qsizetype> starts = partStarts(json, from);

    // Room for every record's end, made here: a thread that allocates
    // memory gets an allocator arena of its own, which costs more than the
    // part it reads.
    std::vector<QList<qsizetype>> partEnds(starts.size());
    for (size_t index = 0; index < starts.size(); ++index) {
        const qsizetype partEnd = index + 1 < starts.size() ? starts[index + 1] : json.size();
        partEnds[index].reserve((partEnd - starts[index]) / shortestRecordBytes + 1);
    }
    const bool checked = ParallelParts::run(qsizetype(starts.size()), [&](qsizetype index) {
        JsonTextScanner scanner(partText(json, starts, size_t(index)), starts[size_t(index)]);
        return checkRecords(scanner, partEnds[size_t(index)])
            && endsItsPart(scanner, size_t(index) + 1 == starts.size(), end);
    });
    if (!checked)
        return false;
    for (const QList<qsizetype> &part : partEnds)
        ends.append(part);
    return true;
}

// Asks for the memory of `record` to be brought into this core's cache to be
// written. The records' list is made on the calling thread, and by the time
// a part reads a record into its place that memory has left the caches: a
// record asked for ahead is there when it is read.
void prefetchForWriting(const TraceRecord *record)
{
    constexpr std::size_t cacheLineBytes = 64;
    const auto *bytes = reinterpret_cast<const char *>(record);
    for (std::size_t line = 0; line < sizeof(TraceRecord); line += cacheLineBytes)
        __builtin_prefetch(bytes + line, 1);
}

// Reads the records from `from`, where one starts, up to and with the "]" of
// their array into `records`, each checked as checkRecordsFrom() checks it:
// reading a record is checking it, so they are read once, not checked first.
// `ends` takes where each record ends, `end` where the array does.
bool decodeRecordsFrom(const QByteArray &json, qsizetype from, QList<TraceRecord> &records,
    QList<qsizetype> &ends, qsizetype &end)
{
    const std::vector<qsizetype> starts = partStarts(json, from);
    const auto partCount = qsizetype(starts.size());

    // Each part's records are counted by their openings first, so that the
    // list is made once and every record is read straight into its place.
    std::vector<qsizetype> firsts(starts.size() + 1, 0);
    const bool counted = ParallelParts::run(partCount, [&](qsizetype index) {
        const QByteArrayView text = partText(json, starts, size_t(index)).sliced(starts[size_t(index)]);
        // The part's first record has no comma before it.
        const qsizetype count = 1 + recordOpeningCount(text);
        firsts[size_t(index) + 1] = count;
        // More openings than records fit are not records spelled as
        // written, and would only make a list far larger than the text.
        return count <= text.size() / shortestRecordBytes + 1;
    });
    if (!counted)
        return false;
    for (size_t index = 1; index < firsts.size(); ++index)
        firsts[index] += firsts[index - 1];

    records = QList<TraceRecord>(firsts.back());
    ends = QList<qsizetype>(firsts.back());
    TraceRecord *const places = records.data();
    qsizetype *const endPlaces = ends.data();
    return ParallelParts::run(partCount, [&](qsizetype index) {
        JsonTextScanner scanner(partText(json, starts, size_t(index)), starts[size_t(index)]);
        const qsizetype first = firsts[size_t(index)];
        const qsizetype last = firsts[size_t(index) + 1];
        for (qsizetype record = first; record < last; ++record) {
            if (record + 1 < last)
                prefetchForWriting(places + record + 1);
            if ((record > first && !scanner.expect(","))
                || !LedgerRecordScanner::read(scanner, places + record))
                return false;
            endPlaces[record] = scanner.position();
        }
        return endsItsPart(scanner, index + 1 == partCount, end);
    });
}

// How many bytes `left` and `right` have in common at their start.
qsizetype commonPrefix(QByteArrayView left, QByteArrayView right)
{
    const qsizetype limit = std::min(left.size(), right.size());
    constexpr qsizetype block = 4096;
    qsizetype same = 0;
    while (same + block <= limit && std::memcmp(left.data() + same, right.data() + same, block) == 0)
        same += block;
    while (same < limit && left[same] == right[same])
        ++same;
    return same;
}

// Checks the trace records (one at least) from `begin`, just after the "["
// of their array, up to and with its "]"; `ends` takes where each record
// ends, `end` where the array does. The leading records spelled exactly as
// those of `known` were checked when `known` was read and are not checked
// again.
bool checkTraceRecords(const QByteArray &json, qsizetype begin, const EncodedTraceRecords *known,
    QList<qsizetype> &ends, qsizetype &end)
{
    qsizetype next = begin;
    if (known && known->readsBack() && known->count() > 0) {
        const QByteArrayView knownText = known->text();
        const qsizetype same = commonPrefix(knownText, QByteArrayView(json).sliced(begin));
        for (qsizetype index = 0; index < known->count(); ++index) {
            const QByteArrayView record = known->record(index);
            const qsizetype recordEnd = record.data() + record.size() - knownText.data();
            if (recordEnd > same)
                break;
            ends.append(begin + recordEnd);
        }
        if (!ends.isEmpty()) {
            JsonTextScanner after(json, ends.last());
            if (after.expect("]")) {
                end = after.position();
                return true;
            }
            if (!after.expect(","))
                return false;
            next = after.position();
        }
    }
    return checkRecordsFrom(json, next, ends, end);
}

// The text before the trace records, up to and with the "[" of their array.
bool readHead(JsonTextScanner &scanner, LedgerSnapshot &snapshot)
{
    return scanner.expect("{\"customDenylistEntries\":[")
        && readElements(scanner, snapshot.customDenylistEntries) && scanner.expect(",\"isPaused\":")
        && scanner.boolean(&snapshot.isPaused) && scanner.expect(",\"pendingSources\":[")
        && readElements(scanner, snapshot.pendingSources) && scanner.expect(",\"traceRecords\":[");
}

// The text after the "]" of the trace records, to the end; only the current
// version is read.
bool readTail(JsonTextScanner &scanner, LedgerSnapshot &snapshot)
{
    qint64 version = 0;
    if (!scanner.expect(",\"updatedAt\":") || !scanner.date(&snapshot.updatedAt)
        || !scanner.expect(",\"version\":") || !scanner.integer(&version) || !scanner.expect("}")
        || !scanner.atEnd() || version != LedgerSnapshot::currentVersion)
        return false;
    snapshot.version = int(version);
    return true;
}

} // namespace

std::optional<LedgerJsonReader::Read> LedgerJsonReader::read(
    const QByteArray &json, bool decodeTraceRecords, const EncodedTraceRecords *known)
{
    JsonTextScanner scanner(json);
    Read result;
    LedgerSnapshot &snapshot = result.snapshot;
    if (!readHead(scanner, snapshot))
        return std::nullopt;

    const qsizetype begin = scanner.position();
    QList<qsizetype> ends;
    qsizetype end = 0;
    if (JsonTextScanner empty(json, begin); empty.expect("]")) {
        end = empty.position();
    } else if (decodeTraceRecords) {
        if (!decodeRecordsFrom(json, begin, snapshot.traceRecords, ends, end))
            return std::nullopt;
    } else if (!checkTraceRecords(json, begin, known, ends, end)) {
        return std::nullopt;
    }

    JsonTextScanner rest(json, end);
    if (!readTail(rest, snapshot))
        return std::nullopt;
    result.traceRecords = EncodedTraceRecords(json, begin, std::move(ends));
    return result;
}

void LedgerJsonReader::Stream::feed(QByteArrayView text)
{
    if (m_failed)
        return;
    if (m_inTraceRecords && !m_checkTraceRecords) {
        skipRecords(text);
        return;
    }
    m_pending.append(text);
    if (!m_inTraceRecords) {
        static constexpr QByteArrayView recordsKey = ",\"traceRecords\":[";
        const qsizetype key = QByteArrayView(m_pending).indexOf(recordsKey, m_searchFrom);
        if (key < 0) {
            m_searchFrom = std::max<qsizetype>(0, m_pending.size() - recordsKey.size());
            return;
        }
        const qsizetype headEnd = key + recordsKey.size();
        JsonTextScanner head(QByteArrayView(m_pending).first(headEnd));
        if (!readHead(head, m_snapshot) || !head.atEnd()) {
            m_failed = true;
            return;
        }
        m_inTraceRecords = true;
        m_recordsBegin = headEnd;
        m_pending.remove(0, headEnd);
        m_pendingOffset = headEnd;
    }
    if (m_checkTraceRecords) {
        checkCompleteRecords();
        return;
    }
    const QByteArray rest = std::exchange(m_pending, {});
    skipRecords(rest);
}

void LedgerJsonReader::Stream::skipRecords(QByteArrayView text)
{
    // The text after the records is a date and a version: only what may
    // still hold it is kept, the records before it are dropped unread.
    static constexpr qsizetype kept = 4096;
    if (text.size() >= kept) {
        m_pendingOffset += m_pending.size() + text.size() - kept;
        m_pending = text.last(kept).toByteArray();
        return;
    }
    m_pending.append(text);
    if (m_pending.size() > 2 * kept) {
        const qsizetype dropped = m_pending.size() - kept;
        m_pending.remove(0, dropped);
        m_pendingOffset += dropped;
    }
}

std::optional<LedgerJsonReader::Stream::Checked> LedgerJsonReader::Stream::finishAfterSkippedRecords()
{
    // The records end at the last "]" before the tail: no text inside a
    // record can hold the tail's unescaped quotes, and readTail() proves
    // that the tail runs to the end.
    static constexpr QByteArrayView recordsEnd = "],\"updatedAt\":";
    const qsizetype end = QByteArrayView(m_pending).lastIndexOf(recordsEnd);
    if (end < 0)
        return std::nullopt;
    m_recordsEnd = m_pendingOffset + end;
    JsonTextScanner scanner(QByteArrayView(m_pending).sliced(end + 1));
    if (!readTail(scanner, m_snapshot))
        return std::nullopt;
    return Checked { std::move(m_snapshot), 0, m_recordsBegin, m_recordsEnd };
}

void LedgerJsonReader::Stream::checkCompleteRecords()
{
    // Everything before the last record opening is whole records; the rest
    // waits for the text that follows. Record openings are found as the
    // parallel check finds them, and a file spelled otherwise fails the same.
    static constexpr QByteArrayView recordOpening = ",{\"confidence\":";
    const qsizetype last = QByteArrayView(m_pending).lastIndexOf(recordOpening);
    if (last <= 0)
        return;
    JsonTextScanner scanner(QByteArrayView(m_pending).first(last));
    do {
        if (!LedgerRecordScanner::read(scanner, static_cast<TraceRecord *>(nullptr))) {
            m_failed = true;
            return;
        }
        ++m_recordCount;
    } while (scanner.expect(","));
    if (!scanner.atEnd()) {
        m_failed = true;
        return;
    }
    // The comma goes too: what is left starts with the next record.
    m_pending.remove(0, last + 1);
    m_pendingOffset += last + 1;
}

std::optional<LedgerJsonReader::Stream::Checked> LedgerJsonReader::Stream::finish()
{
    if (m_failed || !m_inTraceRecords)
        return std::nullopt;
    if (!m_checkTraceRecords)
        return finishAfterSkippedRecords();
    JsonTextScanner scanner(m_pending);
    if (m_recordCount > 0 || !scanner.expect("]")) {
        do {
            if (!LedgerRecordScanner::read(scanner, static_cast<TraceRecord *>(nullptr)))
                return std::nullopt;
            ++m_recordCount;
        } while (scanner.expect(","));
        m_recordsEnd = m_pendingOffset + scanner.position();
        if (!scanner.expect("]"))
            return std::nullopt;
    } else {
        m_recordsEnd = m_pendingOffset;
    }
    if (!readTail(scanner, m_snapshot))
        return std::nullopt;
    return Checked { std::move(m_snapshot), m_recordCount, m_recordsBegin, m_recordsEnd };
}

std::optional<QList<TraceRecord>> LedgerJsonReader::decode(const EncodedTraceRecords &records)
{
    // Parts of whole records, as the encoding knows where each ends; each
    // part reads its records into their places of one list.
    const qsizetype recordCount = records.count();
    QList<TraceRecord> decoded(recordCount);
    if (recordCount == 0)
        return decoded;
    TraceRecord *const places = decoded.data();
    const qsizetype count = std::min(ParallelParts::count(records.text().size()), recordCount);
    const bool read = ParallelParts::run(count, [&](qsizetype index) {
        const qsizetype first = recordCount * index / count;
        const qsizetype last = recordCount * (index + 1) / count - 1;
        const QByteArrayView from = records.record(first);
        const QByteArrayView to = records.record(last);
        JsonTextScanner scanner(QByteArrayView(from.data(), to.data() + to.size() - from.data()));
        for (qsizetype record = first; record <= last; ++record) {
            if ((record > first && !scanner.expect(","))
                || !LedgerRecordScanner::read(scanner, places + record))
                return false;
        }
        return scanner.atEnd();
    });
    if (!read)
        return std::nullopt;
    return decoded;
}

} // namespace tovra
