#pragma once

#include "core/clipboard/SessionClipboardItem.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

namespace tovra {

// The session copy history: the texts and images copied in other
// applications during this session, with the pending sources they were
// attributed to. It lives in memory only and forgets an entry once its
// lifetime (an hour by default) has passed since its content was last copied.
//
// Display order: the most recently copied (or refreshed) entry first, that is
// by `lastAccessedAt`, later first, and among equal times the entry stored or
// refreshed last first. Trimming to the limits drops entries from the end of
// that order.
//
// "Current" is the model's notion (the entry whose content is on the system
// pasteboard right now) and the model keeps that id itself; the history only
// finds the entry, records the pasteboard change count it is current at and
// returns its id. Marking an entry current changes neither its place in the
// list nor its expiry: the pasteboard is re-read after every history paste,
// and letting that re-reading keep an entry alive would let a copy outlive
// the session lifetime simply by staying on the pasteboard. Counting a paste
// likewise leaves order and expiry alone.
//
// An entry is alive while `expiresAt` is not before the time given; every
// operation that takes a time first drops the entries that expired by then.
//
// Concurrency: every operation does all of its work at once under a mutex
// and returns a task that has already finished. The operations are thus
// serialised without a thread of their own, each one sees and leaves a
// consistent history, and awaiting one never suspends the caller, so the
// model (on the GUI thread) pays no event-loop round trip for it.
class SessionClipboardShelf {
public:
    static constexpr int defaultMaximumItemCount = 50;
    static constexpr qint64 defaultMaximumTotalBytes = 8'388'608;
    static constexpr qint64 defaultMaximumItemBytes = 262'144;
    static constexpr int defaultMaximumImageCount = 10;
    static constexpr qint64 defaultMaximumTotalImageBytes = 104'857'600;
    static constexpr qint64 defaultMaximumImageBytes = 20'971'520;
    static constexpr std::chrono::seconds defaultLifetime { 3600 };

    // Text and images have separate byte budgets; the item count covers both
    // kinds, the image count images alone. Throws std::invalid_argument when
    // a limit is not positive.
    explicit SessionClipboardShelf(int maximumItemCount = defaultMaximumItemCount,
        qint64 maximumTotalBytes = defaultMaximumTotalBytes,
        qint64 maximumItemBytes = defaultMaximumItemBytes, int maximumImageCount = defaultMaximumImageCount,
        qint64 maximumTotalImageBytes = defaultMaximumTotalImageBytes,
        qint64 maximumImageBytes = defaultMaximumImageBytes,
        std::chrono::milliseconds lifetime = defaultLifetime);

    SessionClipboardShelf(const SessionClipboardShelf &) = delete;
    SessionClipboardShelf &operator=(const SessionClipboardShelf &) = delete;

    // Drops what expired by `at`, then returns the rest in display order.
    QCoro::Task<QList<SessionClipboardItem>> items(QDateTime at);

    // The entry with that id that is still alive at `at`.
    QCoro::Task<std::optional<SessionClipboardItem>> item(QUuid id, QDateTime at);

    // Stores copied text under the source's content fingerprint. A text entry
    // with that fingerprint is refreshed instead of a second one being added:
    // it takes the new text, source and change count, keeps its id, adds the
    // source's id to its aliases, and its `lastAccessedAt` and `expiresAt`
    // move forward to `at` (never back), which usually brings it to the
    // front. Nothing is stored
    // (none is returned) when the text is empty, larger than one text or all
    // texts may be, the source has no content fingerprint, or `at` is not a
    // valid time. Older entries are dropped as needed to fit the limits; the
    // stored entry itself never is.
    QCoro::Task<std::optional<SessionClipboardItem>> upsert(
        PendingSource source, QString plaintext, qint64 pasteboardChangeCount, QDateTime at);

    // The image counterpart: stored under `payloadFingerprint` (the image's
    // session fingerprint), refreshing an image entry with that fingerprint.
    // Nothing is stored when the image has no data, is larger than one image
    // or all images may be, the fingerprint is empty, or `at` is not valid.
    QCoro::Task<std::optional<SessionClipboardItem>> upsert(PendingSource source, SessionClipboardImage image,
        QString payloadFingerprint, qint64 pasteboardChangeCount, QDateTime at);

    // Each returns the id of the entry now current (alive at `at` and found
    // by id, by identical text, or by payload fingerprint; the first in
    // display order if several match), after recording the change count on
    // it; none when no such entry exists.
    QCoro::Task<std::optional<QUuid>> markCurrent(QUuid id, qint64 pasteboardChangeCount, QDateTime at);
    QCoro::Task<std::optional<QUuid>> markCurrentByPlaintext(
        QString plaintext, qint64 pasteboardChangeCount, QDateTime at);
    QCoro::Task<std::optional<QUuid>> markCurrentByPayloadFingerprint(
        QString payloadFingerprint, qint64 pasteboardChangeCount, QDateTime at);

    // Counts one more paste of the entry alive at `at`; returns the updated
    // entry, or none when it is gone.
    QCoro::Task<std::optional<SessionClipboardItem>> markPasted(QUuid id, QDateTime at);

    // Removes the entry and returns it, or none when there is no such entry.
    QCoro::Task<std::optional<SessionClipboardItem>> remove(QUuid id);

    // Empties the history and returns what it held, in display order,
    // expired entries included, so that their sources can be cleaned up too.
    QCoro::Task<QList<SessionClipboardItem>> removeAll();

private:
    struct Entry {
        SessionClipboardItem item;
        qint64 byteCount;
    };
    using Kind = SessionClipboardPayload::Kind;

    std::optional<SessionClipboardItem> store(PendingSource source, SessionClipboardPayload payload,
        QString payloadFingerprint, qint64 pasteboardChangeCount, const QDateTime &at);
    SessionClipboardItem place(Entry entry);
    std::optional<QUuid> markCurrentWhere(qint64 pasteboardChangeCount, const QDateTime &at, auto &&matches);
    void dropExpired(const QDateTime &at);
    qsizetype indexOf(const QUuid &id) const;
    void insertInOrder(Entry entry);
    Entry takeAt(qsizetype index);
    void trimKeeping(const QUuid &keptId);
    bool dropOldestKeeping(const QUuid &keptId, std::optional<Kind> kind);

    const int m_maximumItemCount;
    const qint64 m_maximumTotalBytes;
    const qint64 m_maximumItemBytes;
    const int m_maximumImageCount;
    const qint64 m_maximumTotalImageBytes;
    const qint64 m_maximumImageBytes;
    const std::chrono::milliseconds m_lifetime;

    std::mutex m_mutex;
    std::vector<Entry> m_entries; // display order
    qint64 m_textBytes = 0;
    qint64 m_imageBytes = 0;
    int m_imageCount = 0;
};

} // namespace tovra
