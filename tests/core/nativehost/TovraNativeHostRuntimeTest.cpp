#include "NativeHostTestSupport.h"

#include "core/nativehost/NativeMessageFraming.h"
#include "core/nativehost/TovraNativeHostRuntime.h"

#include "core/ledger/EncryptedLedgerPersistence.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::testing;

namespace {

const QString requestId = QStringLiteral("0f0e0d0c-0b0a-4908-8706-050403020100");

QByteArray frame(const QByteArray &message)
{
    return NativeMessageFraming::encodeFrame(message);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

class NativeHostRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        environment.insert("TOVRA_TESTING", "1");
        environment.insert("TOVRA_TEST_MASTER_KEY_HEX", QString::fromLatin1(hostTestMasterKey().toHex()));
        environment.insert("TOVRA_LEDGER_PATH", folder.filePath("ledger.json.enc"));
        environment.insert("HOME", folder.path());
    }

    // Runs the host over `input`; the responses are left in `responses`.
    int run(QByteArray input)
    {
        QBuffer in(&input);
        in.open(QIODevice::ReadOnly);
        QByteArray output;
        QBuffer out(&output);
        out.open(QIODevice::ReadWrite);
        qint64 tick = 0;
        const int status
            = TovraNativeHostRuntime::run(environment, in, out, clipboard, [&] { return hostTime(tick++); });
        out.seek(0);
        responses.clear();
        while (const std::optional<QByteArray> message = NativeMessageFraming::readMessage(out)) {
            responses.append(QJsonDocument::fromJson(*message).object());
        }
        return status;
    }

    QTemporaryDir folder;
    QProcessEnvironment environment;
    ScriptedClipboard clipboard;
    QList<QJsonObject> responses;
};

} // namespace

TEST_F(NativeHostRuntimeTest, AnswersEveryRequestInOrderUntilTheInputEnds)
{
    EXPECT_EQ(run({}), 0);
    EXPECT_TRUE(responses.isEmpty());
    EXPECT_FALSE(QFile::exists(folder.filePath("ledger.json.enc"))) << "no request, no ledger";

    clipboard.text = QStringLiteral("quoted passage");
    const QJsonObject payload { { "url", "https://example.org/article" },
        { "selectedText", "quoted passage" } };
    QJsonObject otherPayload = payload;
    otherPayload.insert("selectedText", "another passage");
    EXPECT_EQ(run(frame(captureMessage(requestId, payload)) + frame(captureMessage(requestId, otherPayload))
                  + frame(statusMessage(requestId))),
        0);
    ASSERT_EQ(responses.size(), 3);
    EXPECT_EQ(responses[0].value("status").toString(), QStringLiteral("stored"));
    EXPECT_EQ(responses[1].value("reason").toString(), QStringLiteral("clipboardMismatch"));
    EXPECT_EQ(responses[2].value("pendingSourceCount").toInt(-1), 1);
    for (const QJsonObject &response : responses) {
        EXPECT_EQ(response.value("requestId").toString(), requestId);
    }
}

TEST_F(NativeHostRuntimeTest, TheFirstErrorIsAnsweredAndEndsTheRunWithStatusOne)
{
    const quint32 limit = NativeMessageFraming::maximumMessageBytes;
    // An unknown type name that nearly fills the frame: the error message
    // quotes it and would overflow the response frame.
    const QByteArray hugeType = QJsonDocument(
        QJsonObject { { "schemaVersion", 1 }, { "type", QString(qsizetype(limit) - 100, 'x') },
            { "requestId",
                requestId } }).toJson(QJsonDocument::Compact);
    const struct {
        const char *name;
        QByteArray input;
        qsizetype answers;
        QString code;
        bool echoesRequestId;
        bool withoutKey = false;
    } cases[] = {
        { "unsupported version, nothing answered after it",
            frame(statusMessage(requestId)) + frame(R"({"schemaVersion":3,"type":"get_status"})")
                + frame(statusMessage(requestId)),
            2, "unsupported_schema_version", false },
        { "error too large for a frame", frame(hugeType), 1, "internal_error", true },
        { "no test key", frame(statusMessage(requestId)), 1, "ledger_unavailable", true, true },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        if (testCase.withoutKey) {
            environment.remove("TOVRA_TEST_MASTER_KEY_HEX");
        }
        EXPECT_EQ(run(testCase.input), 1);
        ASSERT_EQ(responses.size(), testCase.answers);
        EXPECT_EQ(responses.last().value("code").toString(), testCase.code);
        EXPECT_FALSE(responses.last().value("ok").toBool(true));
        EXPECT_EQ(responses.last().contains("requestId"), testCase.echoesRequestId);
    }
}

TEST_F(NativeHostRuntimeTest, AnOutputThatRefusesWritesEndsWithStatusOne)
{
    QByteArray input = frame(statusMessage(requestId));
    QBuffer in(&input);
    in.open(QIODevice::ReadOnly);
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_EQ(TovraNativeHostRuntime::run(environment, in, readOnly, clipboard), 1);
}

// Each request reads only what it needs of the ledger, and the answers stay
// byte for byte those of a host that checked the whole ledger on opening it
// (the fresh id of a stored source aside), whatever the ledger holds.
TEST_F(NativeHostRuntimeTest, AnswersAreThoseOfALedgerCheckedWholeOnOpening)
{
    const QString path = folder.filePath("ledger.json.enc");
    const QByteArray envelopeKey = DerivedKeys::derive(hostTestMasterKey()).ledgerEnvelopeKey;
    // A ledger of `records` traces and two sources, written whole.
    const auto ledgerOf = [&](int records, bool paused) {
        QFile::remove(path);
        EncryptedLedgerPersistence(path, envelopeKey).update([&](LedgerSnapshot &snapshot) {
            for (int index = 0; index < 2; ++index) {
                PendingSource source;
                source.id = QUuid(uint(index), 1, 1, 1, 1, 1, 1, 1, 1, 1, 1);
                source.captureMethod = CaptureMethod::chromeExtension;
                source.sanitizedURL = QStringLiteral("https://example.org/%1").arg(index);
                source.capturedAt = hostTime(-60 * 60 * index);
                source.expiresAt = source.capturedAt.addSecs(TovraLedger::pendingSourceLifetimeSeconds);
                snapshot.pendingSources.append(source);
            }
            for (int index = 0; index < records; ++index) {
                TraceRecord trace;
                trace.id = QUuid(uint(index), 2, 2, 2, 2, 2, 2, 2, 2, 2, 2);
                trace.paste.id = QUuid(uint(index), 3, 3, 3, 3, 3, 3, 3, 3, 3, 3);
                trace.paste.destination.appBundleID = QStringLiteral("md.obsidian");
                trace.paste.destination.windowTitle
                    = QStringLiteral("A note of a long-used vault, number %1").arg(index);
                trace.paste.pastedAt = hostTime(-index);
                trace.confidence = TraceConfidence::observed;
                trace.receiptStatus = PasteReceiptStatus::posted;
                snapshot.traceRecords.append(trace);
            }
            snapshot.isPaused = paused;
            snapshot.updatedAt = hostTime(0);
            return true;
        });
        return fileBytes(path);
    };
    const QByteArray newer = EncryptedEnvelope::seal(
        QByteArray(R"({"customDenylistEntries":[],"isPaused":false,"pendingSources":[],"traceRecords":[],)"
                   R"("updatedAt":"2026-03-01T09:00:00.000Z","version":99})"),
        envelopeKey);
    const QByteArray longUsed = ledgerOf(9000, false);
    ASSERT_GT(longUsed.size(), EncryptedLedgerPersistence::defaultStreamedFromBytes);
    QByteArray flipped = longUsed;
    flipped[flipped.size() / 2] = char(flipped.at(flipped.size() / 2) ^ 0x04);
    const struct {
        const char *name;
        QByteArray file;
    } ledgers[] = {
        { "none yet", {} },
        { "a few records", ledgerOf(3, false) },
        { "paused", ledgerOf(3, true) },
        { "long used", longUsed },
        { "long used, one bit flipped", flipped },
        { "of another key",
            EncryptedEnvelope::seal(
                decryptedLedger(path), DerivedKeys::derive(QByteArray(32, '\x07')).ledgerEnvelopeKey) },
        { "of a newer version", newer },
    };
    clipboard.text = QStringLiteral("quoted passage");
    const QByteArray capture = frame(captureMessage(
        requestId, QJsonObject { { "url", "https://example.org/a" }, { "selectedText", "quoted passage" } }));
    const QByteArray status = frame(statusMessage(requestId));
    const QByteArray requests[] = { status, capture, status + capture + status };
    // The answers, with a stored source's fresh id masked.
    const auto answered = [&](const std::function<void(QBuffer &, QBuffer &)> &serve) {
        QByteArray output;
        QBuffer out(&output);
        out.open(QIODevice::WriteOnly);
        QBuffer in;
        serve(in, out);
        const QByteArray key = R"("sourceId":")";
        for (qsizetype at = output.indexOf(key); at >= 0; at = output.indexOf(key, at + 1))
            output.replace(at + key.size(), 36, QByteArray(36, 'x'));
        return output;
    };
    for (const auto &ledger : ledgers) {
        for (const QByteArray &input : requests) {
            SCOPED_TRACE(
                std::string(ledger.name) + ", " + std::to_string(input.size()) + " bytes of requests");
            const auto restore = [&] {
                QFile::remove(path);
                if (!ledger.file.isEmpty())
                    writeFile(path, ledger.file);
            };
            qint64 tick = 0;
            const auto clock = [&] { return hostTime(tick++); };
            restore();
            const QByteArray now = answered([&](QBuffer &in, QBuffer &out) {
                in.setData(input);
                in.open(QIODevice::ReadOnly);
                TovraNativeHostRuntime::run(environment, in, out, clipboard, clock);
            });
            restore();
            tick = 0;
            const QByteArray checkedOnOpening = answered([&](QBuffer &in, QBuffer &out) {
                in.setData(input);
                in.open(QIODevice::ReadOnly);
                NativeHostProcessor processor(
                    [&] {
                        FixedTovraKeyProvider keys(hostTestMasterKey());
                        return TovraLedger::live(path, keys, TovraLedger::Opening::checked);
                    },
                    clipboard);
                TovraNativeHostRuntime::serve(processor, in, out, clock);
            });
            EXPECT_EQ(now, checkedOnOpening);
            EXPECT_FALSE(now.isEmpty());
        }
    }
}
