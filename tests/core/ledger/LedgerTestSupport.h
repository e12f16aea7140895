#pragma once

#include "core/crypto/DerivedKeys.h"
#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/TovraLedger.h"
#include "core/records/DestinationContext.h"
#include "core/records/SourceCapturePayload.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tovra::testing {

inline QByteArray testMasterKey()
{
    return QByteArray(32, '\x5a');
}

// A fixed instant plus `seconds`: tests step time instead of waiting.
inline QDateTime at(qint64 seconds)
{
    return QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC).addSecs(seconds);
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

// The plain JSON inside a ledger file.
inline QByteArray decryptLedger(const QString &path, const QByteArray &masterKey = testMasterKey())
{
    return EncryptedEnvelope::open(readBytes(path), DerivedKeys::derive(masterKey).ledgerEnvelopeKey);
}

inline QByteArray sealLedgerJson(const QByteArray &json, const QByteArray &masterKey = testMasterKey())
{
    return EncryptedEnvelope::seal(json, DerivedKeys::derive(masterKey).ledgerEnvelopeKey);
}

inline SourceCapturePayload browserCapture(
    const QString &text, const QString &url = QStringLiteral("https://example.org/article?id=7"))
{
    SourceCapturePayload payload;
    payload.url = url;
    payload.title = QStringLiteral("An article");
    payload.selectedText = text;
    return payload;
}

inline SourceApplication textEditor()
{
    return SourceApplication { QStringLiteral("Text Editor"), QStringLiteral("org.gnome.TextEditor"), 4242 };
}

inline DestinationContext obsidianNote()
{
    DestinationContext destination;
    destination.appBundleID = QStringLiteral("md.obsidian");
    destination.appName = QStringLiteral("Obsidian");
    destination.windowTitle = QStringLiteral("Reading notes");
    return destination;
}

// A ledger file in a fresh temporary folder, opened like the app opens it.
class LedgerFixture : public ::testing::Test {
protected:
    QString ledgerPath() const { return m_folder.path() + QStringLiteral("/Tovra/ledger.json.enc"); }

    std::unique_ptr<TovraLedger> openLedger(const QByteArray &masterKey = testMasterKey()) const
    {
        FixedTovraKeyProvider keys(masterKey);
        return TovraLedger::live(ledgerPath(), keys);
    }

    QTemporaryDir m_folder;
};

} // namespace tovra::testing
