#pragma once

#include "core/clipboard/SessionClipboardPayload.h"
#include "core/records/PendingSource.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QUuid>

namespace tovra {

// One entry of the session copy history.
struct SessionClipboardItem {
    // Identity of the entry in lists; it survives refreshes by a repeated copy.
    QUuid id;
    // The most recent pending source attached to the content.
    PendingSource source;
    // Every pending source ever attached to this entry, `source.id` included,
    // so that deleting the entry can remove all of them from the ledger.
    QSet<QUuid> sourceAliases;
    SessionClipboardPayload payload;
    // The content fingerprint that identifies a repeat of the same content.
    QString payloadFingerprint;
    // The pasteboard change count at which this content was last seen there.
    qint64 pasteboardChangeCount = 0;
    // How often the entry was pasted back.
    qint64 pasteCount = 0;
    // When the content was last copied (or its copy refreshed); the history
    // lists the most recent first.
    QDateTime lastAccessedAt;
    // `lastAccessedAt` plus the history's lifetime; the entry is dropped once
    // a time after this is seen.
    QDateTime expiresAt;

    friend bool operator==(const SessionClipboardItem &, const SessionClipboardItem &) = default;
};

} // namespace tovra
