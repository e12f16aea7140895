#pragma once

#include "core/crypto/DerivedKeys.h"
#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/TovraLedger.h"
#include "core/nativehost/ClipboardTextReading.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace tovra::testing {

inline QByteArray hostTestMasterKey()
{
    return QByteArray(32, '\x42');
}

// A fixed instant plus `seconds`: tests step time instead of waiting.
inline QDateTime hostTime(qint64 seconds)
{
    return QDateTime(QDate(2026, 5, 4), QTime(8, 30), Qt::UTC).addSecs(seconds);
}

inline std::unique_ptr<TovraLedger> openTestLedger(
    const QString &path, const QByteArray &key = hostTestMasterKey())
{
    FixedTovraKeyProvider keys(key);
    return TovraLedger::live(path, keys);
}

// The ledger file's plain JSON.
inline QByteArray decryptedLedger(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return EncryptedEnvelope::open(
        file.readAll(), DerivedKeys::derive(hostTestMasterKey()).ledgerEnvelopeKey);
}

// A clipboard whose text the test sets; counts how often it is read.
class ScriptedClipboard final : public ClipboardTextReading {
public:
    std::optional<QString> text;
    int reads = 0;

    std::optional<QString> readClipboardText() override
    {
        ++reads;
        return text;
    }
};

inline QByteArray captureMessage(const QString &requestId, const QJsonObject &payload)
{
    return QJsonDocument(QJsonObject {
                             { "schemaVersion", 1 },
                             { "type", "capture_source" },
                             { "requestId", requestId },
                             { "payload", payload },
                         })
        .toJson(QJsonDocument::Compact);
}

// A 4-byte little-endian length, as the browser writes it.
inline QByteArray frameHeader(quint32 length)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.append(char((length >> shift) & 0xff));
    }
    return bytes;
}

inline QByteArray statusMessage(const QString &requestId)
{
    return QJsonDocument(
        QJsonObject { { "schemaVersion", 1 }, { "type", "get_status" }, { "requestId", requestId } })
        .toJson(QJsonDocument::Compact);
}

} // namespace tovra::testing
