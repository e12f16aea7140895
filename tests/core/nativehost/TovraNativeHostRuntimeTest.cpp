#include "NativeHostTestSupport.h"

#include "core/nativehost/NativeMessageFraming.h"
#include "core/nativehost/TovraNativeHostRuntime.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::testing;

namespace {

const QString requestId = QStringLiteral("0f0e0d0c-0b0a-4908-8706-050403020100");

QByteArray frame(const QByteArray &message)
{
    return NativeMessageFraming::encodeFrame(message);
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
