#include "NativeHostTestSupport.h"

#include "core/ledger/TovraLedgerError.h"
#include "core/nativehost/NativeHostProcessor.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::testing;

namespace {

const QString firstId = QStringLiteral("11111111-2222-4333-8444-555555555555");
const QString secondId = QStringLiteral("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee");

QJsonObject payload(const QString &text, const QString &url = QStringLiteral("https://docs.example.org/page"))
{
    return QJsonObject { { "url", url }, { "title", "A page" }, { "selectedText", text } };
}

// "stored", the refusal's reason, or the error's code.
QString outcome(const NativeHostResponse &response)
{
    const QJsonObject json = response.toJson();
    return json.contains("reason") ? json.value("reason").toString()
                                   : json.value(json.contains("code") ? "code" : "status").toString();
}

class NativeHostProcessorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    NativeHostProcessor processor()
    {
        return NativeHostProcessor(
            [this] {
                ++opens;
                return openTestLedger(ledgerPath);
            },
            clipboard);
    }

    // The stored state as another process sees it.
    int storedPendingSources() { return openTestLedger(ledgerPath)->status(hostTime(0)).pendingSourceCount; }

    QTemporaryDir folder;
    const QString ledgerPath = folder.filePath("ledger.json.enc");
    ScriptedClipboard clipboard;
    int opens = 0;
};

} // namespace

TEST_F(NativeHostProcessorTest, StoresACaptureThatMatchesTheClipboardButNotItsText)
{
    NativeHostProcessor host = processor();
    clipboard.text = QStringLiteral("Copied from the page");
    const NativeHostResponse response
        = host.process(captureMessage(firstId, payload("Copied from the page")), hostTime(0));

    const auto *stored = std::get_if<NativeHostResponse::CaptureStored>(&response.body());
    ASSERT_NE(stored, nullptr) << response.encode().constData();
    EXPECT_EQ(response.requestId(), QUuid::fromString(firstId));
    EXPECT_EQ(stored->expiresAt, hostTime(TovraLedger::pendingSourceLifetimeSeconds));
    const QByteArray storedJson = decryptedLedger(ledgerPath);
    EXPECT_TRUE(storedJson.contains(stored->sourceId.toString(QUuid::WithoutBraces).toLatin1()));
    EXPECT_FALSE(storedJson.contains("Copied from the page")) << "the copied text itself is never stored";
}

TEST_F(NativeHostProcessorTest, JudgesEachCaptureByPrivacyThenClipboard)
{
    QJsonObject incognito = payload("secret");
    incognito.insert("isIncognito", true);
    const struct {
        std::optional<QString> clipboard;
        QJsonObject payload;
        QString outcome;
        bool readsClipboard;
    } cases[] = {
        // Line endings and surrounding white space differ between the page's
        // selection and the clipboard; the content does not.
        { "  first line\r\nsecond line\n", payload("first line\nsecond line"), "stored", true },
        // Inner white space and case are content.
        { "first  line", payload("first line"), "clipboardMismatch", true },
        { "First line", payload("first line"), "clipboardMismatch", true },
        { std::nullopt, payload("claimed text"), "clipboardUnavailable", true },
        // The privacy guard judges before the clipboard is read.
        { "secret", incognito, "incognito", false },
        { "secret", payload("secret", "ftp://files.example.org/a"), "invalidURL", false },
        { "secret", payload("secret", "not a url"), "invalidURL", false },
        { "   ", payload("   "), "emptyContent", false },
    };
    NativeHostProcessor host = processor();
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.outcome.toStdString());
        clipboard.text = testCase.clipboard;
        const int readsBefore = clipboard.reads;
        const NativeHostResponse response
            = host.process(captureMessage(firstId, testCase.payload), hostTime(0));
        EXPECT_EQ(outcome(response), testCase.outcome);
        EXPECT_FALSE(response.isError()) << "a refusal keeps the conversation going";
        EXPECT_EQ(clipboard.reads - readsBefore, testCase.readsClipboard ? 1 : 0);
    }
    EXPECT_EQ(storedPendingSources(), 1) << "nothing refused is stored";
}

TEST_F(NativeHostProcessorTest, HonoursThePauseAndTheDenylistOfTheSharedLedger)
{
    NativeHostProcessor host = processor();
    clipboard.text = QStringLiteral("text");

    // The app changes the ledger while the host runs.
    openTestLedger(ledgerPath)->setPaused(true, hostTime(0));
    EXPECT_EQ(outcome(host.process(captureMessage(firstId, payload("text")), hostTime(1))), "paused");

    const auto app = openTestLedger(ledgerPath);
    app->setPaused(false, hostTime(2));
    app->addDenylistEntry(DenylistKind::domain, QStringLiteral("example.org"), hostTime(2));
    EXPECT_EQ(outcome(host.process(captureMessage(firstId, payload("text")), hostTime(3))), "deniedDomain");
    EXPECT_EQ(
        outcome(host.process(captureMessage(firstId, payload("text", "https://other.test/x")), hostTime(4))),
        "stored");
}

TEST_F(NativeHostProcessorTest, StatusCountsUnexpiredPendingSources)
{
    NativeHostProcessor host = processor();
    clipboard.text = QStringLiteral("text");
    ASSERT_FALSE(host.process(captureMessage(firstId, payload("text")), hostTime(0)).isError());
    ASSERT_FALSE(host.process(captureMessage(secondId, payload("text")), hostTime(60)).isError());

    const qint64 lifetime = TovraLedger::pendingSourceLifetimeSeconds;
    // A source is still usable at its expiry time.
    for (const auto &[seconds, pending] :
        { std::pair<qint64, int> { 61, 2 }, { lifetime, 2 }, { lifetime + 1, 1 }, { lifetime + 61, 0 } }) {
        const NativeHostResponse response = host.process(statusMessage(secondId), hostTime(seconds));
        const auto *status = std::get_if<NativeHostResponse::Status>(&response.body());
        ASSERT_NE(status, nullptr) << response.encode().constData();
        EXPECT_EQ(status->status.pendingSourceCount, pending) << seconds;
        EXPECT_FALSE(status->status.paused);
    }
    EXPECT_EQ(opens, 1) << "the ledger is opened once per conversation";
}

TEST_F(NativeHostProcessorTest, MalformedRequestsNeverOpenTheLedger)
{
    NativeHostProcessor host = processor();
    const NativeHostResponse response = host.process(
        R"({"schemaVersion":1,"type":"get_status","requestId":"11111111-2222-4333-8444-555555555555","x":1})",
        hostTime(0));
    EXPECT_EQ(response.body(),
        NativeHostResponse::Body(NativeHostResponse::Error {
            NativeMessagingError::Kind::malformedRequest, QStringLiteral("Unknown keys: x") }));
    EXPECT_EQ(response.requestId(), QUuid::fromString(firstId)) << "the id is echoed whenever it can be read";

    const NativeHostResponse notJson = host.process("{{{", hostTime(0));
    EXPECT_TRUE(notJson.isError());
    EXPECT_EQ(notJson.requestId(), std::nullopt);
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(clipboard.reads, 0);
}

TEST_F(NativeHostProcessorTest, ALedgerThatCannotBeOpenedIsUnavailable)
{
    NativeHostProcessor locked(
        []() -> std::unique_ptr<TovraLedger> {
            throw TovraLedgerError::keyUnavailable(QStringLiteral("the keyring is locked"));
        },
        clipboard);
    const NativeHostResponse response = locked.process(statusMessage(firstId), hostTime(0));
    EXPECT_EQ(outcome(response), "ledger_unavailable");
    EXPECT_TRUE(response.toJson().value("message").toString().contains("the keyring is locked"));
    EXPECT_EQ(response.requestId(), QUuid::fromString(firstId));

    // A ledger written with another key cannot be read with this one.
    openTestLedger(ledgerPath)->setPaused(true, hostTime(0));
    NativeHostProcessor wrongKey(
        [this] { return openTestLedger(ledgerPath, QByteArray(32, '\x01')); }, clipboard);
    clipboard.text = QStringLiteral("x");
    EXPECT_EQ(
        outcome(wrongKey.process(captureMessage(firstId, payload("x")), hostTime(1))), "ledger_unavailable");
}
