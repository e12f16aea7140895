#pragma once

#include "core/records/RecordEnums.h"
#include "core/records/TovraJson.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace tovra {

// A captured source (a browser page or an application) waiting for a paste of
// the same content. The content itself is never kept: only its keyed
// fingerprint and its size in UTF-8 bytes (or image bytes).
struct PendingSource {
    QUuid id;
    CaptureMethod captureMethod = CaptureMethod::unknown;
    std::optional<QString> contentFingerprint;
    qint64 byteCount = 0;
    // The sanitised page address of a browser capture; absent for applications.
    std::optional<QString> sanitizedURL;
    std::optional<QString> pageTitle;
    std::optional<QString> sourceAppName;
    std::optional<QString> sourceAppBundleID;
    std::optional<qint32> sourceProcessIdentifier;
    QDateTime capturedAt;
    QDateTime expiresAt;

    // Expired once `now` has passed `expiresAt`; a source is still usable at
    // exactly its expiry time.
    bool isExpired(const QDateTime &now) const { return expiresAt < now; }

    bool operator==(const PendingSource &) const = default;
};

QJsonObject toJson(const PendingSource &source);
template <> PendingSource fromJson<PendingSource>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
