#pragma once

#include "core/records/DestinationContext.h"
#include "core/records/TovraJson.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace tovra {

// One committed paste: what was pasted (by fingerprint and size, never the
// content) and where it went.
struct PasteRecord {
    QUuid id;
    DestinationContext destination;
    QDateTime pastedAt;
    // Absent when the paste was observed without readable content.
    std::optional<QString> contentFingerprint;
    qint64 byteCount = 0;
    bool isImage = false;

    bool operator==(const PasteRecord &) const = default;
};

QJsonObject toJson(const PasteRecord &paste);
template <> PasteRecord fromJson<PasteRecord>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
