#pragma once

#include "core/records/TovraJson.h"

#include <QJsonObject>
#include <QSet>
#include <QString>

#include <optional>

namespace tovra {

// The browser extension's capture body. It comes from outside the program, so
// it is decoded strictly: any key besides the five below is an error.
// `capturedAt` stays text here; whether it is a readable ISO-8601 date is part
// of judging the capture, not of decoding it.
struct SourceCapturePayload {
    QString url;
    std::optional<QString> title;
    QString selectedText;
    std::optional<bool> isIncognito;
    std::optional<QString> capturedAt;

    static const QSet<QString> &allowedKeys();

    bool operator==(const SourceCapturePayload &) const = default;
};

QJsonObject toJson(const SourceCapturePayload &payload);
template <>
SourceCapturePayload fromJson<SourceCapturePayload>(const QJsonObject &object, const QString &keyPath);

} // namespace tovra
