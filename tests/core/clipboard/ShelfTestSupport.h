#pragma once

#include "core/clipboard/SessionClipboardShelf.h"

#include <QCoro/QCoroTask>
#include <QDateTime>

#include <gtest/gtest.h>

namespace tovra::testing {

// The result of a history operation. Every operation must have finished by
// the time it returns, so the task is checked to be ready before it is read.
template <typename T> T finished(QCoro::Task<T> task)
{
    EXPECT_TRUE(task.isReady()) << "a history operation suspended";
    return QCoro::waitFor(std::move(task));
}

inline QDateTime secondsLater(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(1'721'308'500 + seconds, Qt::UTC);
}

// A pending source; without a fingerprint it is the kind an image copy has.
inline PendingSource sourceFor(
    const std::optional<QString> &fingerprint, const QDateTime &capturedAt = secondsLater(0))
{
    PendingSource source;
    source.id = QUuid::createUuid();
    source.captureMethod = CaptureMethod::pasteboardInference;
    source.contentFingerprint = fingerprint;
    source.sourceAppName = QStringLiteral("TextEdit");
    source.sourceAppBundleID = QStringLiteral("org.gnome.TextEditor");
    source.capturedAt = capturedAt;
    source.expiresAt = capturedAt.addSecs(3600);
    return source;
}

// `byteCount` bytes whose content (and so fingerprint) is told apart by `seed`.
inline QByteArray bytesOf(qint64 byteCount, int seed)
{
    QByteArray data(byteCount, char('a' + seed % 26));
    const QByteArray tag = QByteArray::number(seed);
    data.replace(0, std::min<qsizetype>(tag.size(), data.size()), tag.left(data.size()));
    return data;
}

inline SessionClipboardImage imageOf(qint64 byteCount, int seed)
{
    return SessionClipboardImage(bytesOf(byteCount, seed), QStringLiteral("public.png"), 4, 3);
}

// Stores `text` under a fingerprint derived from the text itself, as the
// keyed content fingerprint would.
inline std::optional<SessionClipboardItem> copyText(
    SessionClipboardShelf &shelf, const QString &text, const QDateTime &at, qint64 changeCount = 1)
{
    return finished(shelf.upsert(sourceFor(QStringLiteral("fp:") + text, at), text, changeCount, at));
}

inline std::optional<SessionClipboardItem> copyImage(SessionClipboardShelf &shelf,
    const SessionClipboardImage &image, const QDateTime &at, qint64 changeCount = 1)
{
    return finished(
        shelf.upsert(sourceFor(std::nullopt), image, image.sessionFingerprint(), changeCount, at));
}

// The ids of the items alive at `at`, in display order.
inline QList<QUuid> idsAt(SessionClipboardShelf &shelf, const QDateTime &at)
{
    QList<QUuid> ids;
    for (const SessionClipboardItem &item : finished(shelf.items(at)))
        ids.append(item.id);
    return ids;
}

} // namespace tovra::testing
