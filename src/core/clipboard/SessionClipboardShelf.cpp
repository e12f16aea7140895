#include "core/clipboard/SessionClipboardShelf.h"

#include <stdexcept>

namespace tovra {

namespace {

void requirePositive(qint64 value, const char *name)
{
    if (value <= 0)
        throw std::invalid_argument(std::string("SessionClipboardShelf: ") + name + " must be positive");
}

} // namespace

SessionClipboardShelf::SessionClipboardShelf(int maximumItemCount, qint64 maximumTotalBytes,
    qint64 maximumItemBytes, int maximumImageCount, qint64 maximumTotalImageBytes, qint64 maximumImageBytes,
    std::chrono::milliseconds lifetime)
    : m_maximumItemCount(maximumItemCount)
    , m_maximumTotalBytes(maximumTotalBytes)
    , m_maximumItemBytes(maximumItemBytes)
    , m_maximumImageCount(maximumImageCount)
    , m_maximumTotalImageBytes(maximumTotalImageBytes)
    , m_maximumImageBytes(maximumImageBytes)
    , m_lifetime(lifetime)
{
    requirePositive(maximumItemCount, "maximumItemCount");
    requirePositive(maximumTotalBytes, "maximumTotalBytes");
    requirePositive(maximumItemBytes, "maximumItemBytes");
    requirePositive(maximumImageCount, "maximumImageCount");
    requirePositive(maximumTotalImageBytes, "maximumTotalImageBytes");
    requirePositive(maximumImageBytes, "maximumImageBytes");
    requirePositive(lifetime.count(), "lifetime");
}

QCoro::Task<QList<SessionClipboardItem>> SessionClipboardShelf::items(QDateTime at)
{
    const std::lock_guard lock(m_mutex);
    dropExpired(at);
    QList<SessionClipboardItem> result;
    result.reserve(qsizetype(m_entries.size()));
    for (const Entry &entry : m_entries)
        result.append(entry.item);
    co_return result;
}

QCoro::Task<std::optional<SessionClipboardItem>> SessionClipboardShelf::item(QUuid id, QDateTime at)
{
    const std::lock_guard lock(m_mutex);
    dropExpired(at);
    const qsizetype index = indexOf(id);
    if (index < 0)
        co_return std::nullopt;
    // A stored item is handed out as a copy made here: given an lvalue,
    // co_return would move out of the history itself.
    co_return std::optional<SessionClipboardItem>(m_entries[size_t(index)].item);
}

QCoro::Task<std::optional<SessionClipboardItem>> SessionClipboardShelf::upsert(
    PendingSource source, QString plaintext, qint64 pasteboardChangeCount, QDateTime at)
{
    if (plaintext.isEmpty() || !source.contentFingerprint || source.contentFingerprint->isEmpty())
        co_return std::nullopt;
    QString fingerprint = *source.contentFingerprint;
    const std::lock_guard lock(m_mutex);
    co_return store(std::move(source), SessionClipboardPayload::text(std::move(plaintext)),
        std::move(fingerprint), pasteboardChangeCount, at);
}

QCoro::Task<std::optional<SessionClipboardItem>> SessionClipboardShelf::upsert(PendingSource source,
    SessionClipboardImage image, QString payloadFingerprint, qint64 pasteboardChangeCount, QDateTime at)
{
    if (image.data().isEmpty() || payloadFingerprint.isEmpty())
        co_return std::nullopt;
    const std::lock_guard lock(m_mutex);
    co_return store(std::move(source), SessionClipboardPayload::image(std::move(image)),
        std::move(payloadFingerprint), pasteboardChangeCount, at);
}

QCoro::Task<std::optional<QUuid>> SessionClipboardShelf::markCurrent(
    QUuid id, qint64 pasteboardChangeCount, QDateTime at)
{
    const std::lock_guard lock(m_mutex);
    co_return markCurrentWhere(
        pasteboardChangeCount, at, [&](const SessionClipboardItem &item) { return item.id == id; });
}

QCoro::Task<std::optional<QUuid>> SessionClipboardShelf::markCurrentByPlaintext(
    QString plaintext, qint64 pasteboardChangeCount, QDateTime at)
{
    if (plaintext.isEmpty())
        co_return std::nullopt;
    const std::lock_guard lock(m_mutex);
    co_return markCurrentWhere(pasteboardChangeCount, at, [&](const SessionClipboardItem &item) {
        const QString *text = item.payload.asText();
        return text && *text == plaintext;
    });
}

QCoro::Task<std::optional<QUuid>> SessionClipboardShelf::markCurrentByPayloadFingerprint(
    QString payloadFingerprint, qint64 pasteboardChangeCount, QDateTime at)
{
    if (payloadFingerprint.isEmpty())
        co_return std::nullopt;
    const std::lock_guard lock(m_mutex);
    co_return markCurrentWhere(pasteboardChangeCount, at,
        [&](const SessionClipboardItem &item) { return item.payloadFingerprint == payloadFingerprint; });
}

QCoro::Task<std::optional<SessionClipboardItem>> SessionClipboardShelf::markPasted(QUuid id, QDateTime at)
{
    const std::lock_guard lock(m_mutex);
    dropExpired(at);
    const qsizetype index = indexOf(id);
    if (index < 0)
        co_return std::nullopt;
    SessionClipboardItem &item = m_entries[size_t(index)].item;
    ++item.pasteCount;
    co_return std::optional<SessionClipboardItem>(item);
}

QCoro::Task<std::optional<SessionClipboardItem>> SessionClipboardShelf::remove(QUuid id)
{
    const std::lock_guard lock(m_mutex);
    const qsizetype index = indexOf(id);
    if (index < 0)
        co_return std::nullopt;
    co_return takeAt(index).item;
}

QCoro::Task<QList<SessionClipboardItem>> SessionClipboardShelf::removeAll()
{
    const std::lock_guard lock(m_mutex);
    QList<SessionClipboardItem> removed;
    removed.reserve(qsizetype(m_entries.size()));
    for (Entry &entry : m_entries)
        removed.append(std::move(entry.item));
    m_entries.clear();
    m_textBytes = 0;
    m_imageBytes = 0;
    m_imageCount = 0;
    co_return removed;
}

std::optional<SessionClipboardItem> SessionClipboardShelf::store(PendingSource source,
    SessionClipboardPayload payload, QString payloadFingerprint, qint64 pasteboardChangeCount,
    const QDateTime &at)
{
    const Kind kind = payload.kind();
    const qint64 byteCount = payload.byteCount();
    const bool fits = kind == Kind::text
        ? byteCount <= m_maximumItemBytes && byteCount <= m_maximumTotalBytes
        : byteCount <= m_maximumImageBytes && byteCount <= m_maximumTotalImageBytes;
    if (!fits || !at.isValid())
        return std::nullopt;

    dropExpired(at);

    const QDateTime expiresAt = at.addMSecs(m_lifetime.count());
    qsizetype existing = -1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const SessionClipboardItem &item = m_entries[i].item;
        if (item.payload.kind() == kind && item.payloadFingerprint == payloadFingerprint) {
            existing = qsizetype(i);
            break;
        }
    }

    if (existing >= 0) {
        Entry entry = takeAt(existing);
        SessionClipboardItem &item = entry.item;
        item.sourceAliases.insert(source.id);
        item.source = std::move(source);
        item.payload = std::move(payload);
        item.pasteboardChangeCount = pasteboardChangeCount;
        item.lastAccessedAt = std::max(item.lastAccessedAt, at);
        item.expiresAt = std::max(item.expiresAt, expiresAt);
        entry.byteCount = byteCount;
        return place(std::move(entry));
    }

    QSet<QUuid> aliases { source.id };
    return place(Entry { .item = { .id = QUuid::createUuid(),
                             .source = std::move(source),
                             .sourceAliases = std::move(aliases),
                             .payload = std::move(payload),
                             .payloadFingerprint = std::move(payloadFingerprint),
                             .pasteboardChangeCount = pasteboardChangeCount,
                             .pasteCount = 0,
                             .lastAccessedAt = at,
                             .expiresAt = expiresAt },
        .byteCount = byteCount });
}

SessionClipboardItem SessionClipboardShelf::place(Entry entry)
{
    const QUuid id = entry.item.id;
    insertInOrder(std::move(entry));
    trimKeeping(id);
    return m_entries[size_t(indexOf(id))].item;
}

std::optional<QUuid> SessionClipboardShelf::markCurrentWhere(
    qint64 pasteboardChangeCount, const QDateTime &at, auto &&matches)
{
    dropExpired(at);
    for (Entry &entry : m_entries) {
        if (matches(entry.item)) {
            entry.item.pasteboardChangeCount = pasteboardChangeCount;
            return entry.item.id;
        }
    }
    return std::nullopt;
}

void SessionClipboardShelf::dropExpired(const QDateTime &at)
{
    for (qsizetype i = qsizetype(m_entries.size()) - 1; i >= 0; --i) {
        if (m_entries[size_t(i)].item.expiresAt < at)
            takeAt(i);
    }
}

qsizetype SessionClipboardShelf::indexOf(const QUuid &id) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].item.id == id)
            return qsizetype(i);
    }
    return -1;
}

void SessionClipboardShelf::insertInOrder(Entry entry)
{
    // Among entries of the same time the one stored or refreshed last goes first.
    auto position = m_entries.begin();
    while (position != m_entries.end() && position->item.lastAccessedAt > entry.item.lastAccessedAt)
        ++position;
    if (entry.item.payload.kind() == Kind::text) {
        m_textBytes += entry.byteCount;
    } else {
        m_imageBytes += entry.byteCount;
        ++m_imageCount;
    }
    m_entries.insert(position, std::move(entry));
}

SessionClipboardShelf::Entry SessionClipboardShelf::takeAt(qsizetype index)
{
    const auto position = m_entries.begin() + index;
    Entry entry = std::move(*position);
    m_entries.erase(position);
    if (entry.item.payload.kind() == Kind::text) {
        m_textBytes -= entry.byteCount;
    } else {
        m_imageBytes -= entry.byteCount;
        --m_imageCount;
    }
    return entry;
}

void SessionClipboardShelf::trimKeeping(const QUuid &keptId)
{
    // The kept entry fits every limit on its own, so while a limit is exceeded
    // there is always another entry of the right kind to drop; the loops still
    // stop if there is none rather than spin.
    while (m_textBytes > m_maximumTotalBytes && dropOldestKeeping(keptId, Kind::text)) { }
    while ((m_imageCount > m_maximumImageCount || m_imageBytes > m_maximumTotalImageBytes)
        && dropOldestKeeping(keptId, Kind::image)) { }
    while (qsizetype(m_entries.size()) > m_maximumItemCount && dropOldestKeeping(keptId, std::nullopt)) { }
}

bool SessionClipboardShelf::dropOldestKeeping(const QUuid &keptId, std::optional<Kind> kind)
{
    for (qsizetype i = qsizetype(m_entries.size()) - 1; i >= 0; --i) {
        const SessionClipboardItem &item = m_entries[size_t(i)].item;
        if (item.id != keptId && (!kind || item.payload.kind() == *kind)) {
            takeAt(i);
            return true;
        }
    }
    return false;
}

} // namespace tovra
