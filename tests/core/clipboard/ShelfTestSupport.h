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

inline QDateTime baseTime()
{
    return QDateTime::fromSecsSinceEpoch(1'721'308'500, Qt::UTC);
}

inline QDateTime secondsLater(qint64 seconds)
{
    return baseTime().addSecs(seconds);
}

inline PendingSource sourceFor(const QString &fingerprint, const QDateTime &capturedAt = baseTime())
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

inline PendingSource imageSource()
{
    PendingSource source = sourceFor(QString());
    source.contentFingerprint.reset();
    return source;
}

// An image of `byteCount` bytes whose content (and so fingerprint) is told
// apart by `seed`.
inline SessionClipboardImage imageOf(qint64 byteCount, int seed)
{
    QByteArray data(byteCount, char('a' + seed % 26));
    const QByteArray tag = QByteArray::number(seed);
    data.replace(0, std::min<qsizetype>(tag.size(), data.size()), tag.left(data.size()));
    return SessionClipboardImage(data, QStringLiteral("public.png"), 4, 3);
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
    return finished(shelf.upsert(imageSource(), image, image.sessionFingerprint(), changeCount, at));
}

inline QList<QUuid> idsOf(const QList<SessionClipboardItem> &items)
{
    QList<QUuid> ids;
    for (const SessionClipboardItem &item : items)
        ids.append(item.id);
    return ids;
}

} // namespace tovra::testing
