#include "NativeHostTestSupport.h"

#include "core/nativehost/NativeMessageFraming.h"
#include "core/nativehost/TovraNativeHostRuntime.h"

#include <QBuffer>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::testing;

namespace {

const QString requestId = QStringLiteral("0f0e0d0c-0b0a-4908-8706-050403020100");

QJsonObject payload(const QString &text)
{
    return QJsonObject { { "url", "https://example.org/article" }, { "selectedText", text } };
}

QByteArray frame(const QByteArray &message)
{
    return NativeMessageFraming::encodeFrame(message);
}

QByteArray header(quint32 length)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.append(char((length >> shift) & 0xff));
    }
    return bytes;
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
        output.clear();
        QBuffer out(&output);
        out.open(QIODevice::WriteOnly);
        qint64 tick = 0;
        const int status
            = TovraNativeHostRuntime::run(environment, in, out, clipboard, [&] { return hostTime(tick++); });

        responses.clear();
        QBuffer written(&output);
        written.open(QIODevice::ReadOnly);
        while (const std::optional<QByteArray> message = NativeMessageFraming::readMessage(written)) {
            responses.append(QJsonDocument::fromJson(*message).object());
        }
        return status;
    }

    QTemporaryDir folder;
    QProcessEnvironment environment;
    ScriptedClipboard clipboard;
    QByteArray output;
    QList<QJsonObject> responses;
};

} // namespace

TEST_F(NativeHostRuntimeTest, EmptyInputEndsCleanlyWithoutOutput)
{
    EXPECT_EQ(run({}), 0);
    EXPECT_TRUE(output.isEmpty());
    EXPECT_FALSE(QFile::exists(folder.filePath("ledger.json.enc"))) << "no request, no ledger";
}

TEST_F(NativeHostRuntimeTest, AnswersEveryRequestInOrderUntilTheInputEnds)
{
    clipboard.text = QStringLiteral("quoted passage");
    const int status = run(frame(captureMessage(requestId, payload("quoted passage")))
        + frame(captureMessage(requestId, payload("another passage"))) + frame(statusMessage(requestId)));
    EXPECT_EQ(status, 0);
    ASSERT_EQ(responses.size(), 3);
    EXPECT_EQ(responses[0].value("status").toString(), QStringLiteral("stored"));
    EXPECT_EQ(responses[1].value("reason").toString(), QStringLiteral("clipboardMismatch"));
    EXPECT_EQ(responses[2].value("type").toString(), QStringLiteral("status"));
    EXPECT_EQ(responses[2].value("pendingSourceCount").toInt(), 1);
    for (const QJsonObject &response : responses) {
        EXPECT_EQ(response.value("requestId").toString(), requestId);
        EXPECT_EQ(response.value("schemaVersion").toInt(), 1);
        EXPECT_TRUE(response.value("ok").toBool());
    }
}

TEST_F(NativeHostRuntimeTest, AnErrorResponseEndsTheConversation)
{
    const int status = run(frame(statusMessage(requestId))
        + frame(R"({"schemaVersion":3,"type":"get_status"})") + frame(statusMessage(requestId)));
    EXPECT_EQ(status, 1);
    ASSERT_EQ(responses.size(), 2) << "nothing is answered after an error";
    EXPECT_EQ(responses[1].value("code").toString(), QStringLiteral("unsupported_schema_version"));
    EXPECT_FALSE(responses[1].value("ok").toBool());
    EXPECT_FALSE(responses[1].contains("requestId"));
}

TEST_F(NativeHostRuntimeTest, FramingFailuresGetOneErrorThenStatusOne)
{
    EXPECT_EQ(run(header(NativeMessageFraming::maximumMessageBytes + 1) + QByteArray(64, '{')), 1);
    ASSERT_EQ(responses.size(), 1);
    EXPECT_EQ(responses[0].value("code").toString(), QStringLiteral("message_too_large"));

    EXPECT_EQ(run(frame(statusMessage(requestId)) + header(100) + "{\"schemaVersion\":1"), 1);
    ASSERT_EQ(responses.size(), 2);
    EXPECT_EQ(responses[1].value("code").toString(), QStringLiteral("malformed_request"));

    EXPECT_EQ(run(header(10).left(3)), 1);
    ASSERT_EQ(responses.size(), 1);
    EXPECT_EQ(responses[0].value("code").toString(), QStringLiteral("malformed_request"));
}

TEST_F(NativeHostRuntimeTest, AMissingTestKeyMakesTheLedgerUnavailable)
{
    environment.remove("TOVRA_TEST_MASTER_KEY_HEX");
    EXPECT_EQ(run(frame(statusMessage(requestId))), 1);
    ASSERT_EQ(responses.size(), 1);
    EXPECT_EQ(responses[0].value("code").toString(), QStringLiteral("ledger_unavailable"));
    EXPECT_EQ(responses[0].value("requestId").toString(), requestId);
}

TEST_F(NativeHostRuntimeTest, AnErrorTooLargeForAFrameIsReplacedByOneThatFits)
{
    // An unknown type name that nearly fills the frame: the error message
    // quotes it, which would overflow the response frame.
    const QJsonObject request { { "schemaVersion", 1 },
        { "type", QString(qsizetype(NativeMessageFraming::maximumMessageBytes) - 100, 'x') },
        { "requestId", requestId } };
    const QByteArray message = QJsonDocument(request).toJson(QJsonDocument::Compact);
    ASSERT_LE(message.size(), qsizetype(NativeMessageFraming::maximumMessageBytes));

    EXPECT_EQ(run(frame(message)), 1);
    ASSERT_EQ(responses.size(), 1);
    EXPECT_EQ(responses[0].value("code").toString(), QStringLiteral("internal_error"));
    EXPECT_EQ(responses[0].value("requestId").toString(), requestId);
}

TEST_F(NativeHostRuntimeTest, AnOutputThatRefusesWritesEndsWithStatusOne)
{
    QByteArray input = frame(statusMessage(requestId));
    QBuffer in(&input);
    in.open(QIODevice::ReadOnly);
    QByteArray storage;
    QBuffer readOnly(&storage);
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_EQ(TovraNativeHostRuntime::run(environment, in, readOnly, clipboard), 1);
}
