#include "NativeHostTestSupport.h"

#include "core/ledger/TovraLedgerError.h"
#include "core/nativehost/NativeHostProcessor.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::testing;

namespace {

const QString firstId = QStringLiteral("11111111-2222-4333-8444-555555555555");
const QUuid firstUuid = QUuid::fromString(firstId);
const QString secondId = QStringLiteral("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee");

QJsonObject payload(const QString &text, const QString &url = QStringLiteral("https://docs.example.org/page"))
{
    return QJsonObject { { "url", url }, { "title", "A page" }, { "selectedText", text } };
}

class NativeHostProcessorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ledgerPath = folder.filePath("ledger.json.enc");
    }

    NativeHostProcessor::LedgerOpening opening()
    {
        return [this] {
            ++opens;
            return openTestLedger(ledgerPath);
        };
    }

    // The stored state as another process sees it.
    TovraStatus storedStatus(const QDateTime &at) { return openTestLedger(ledgerPath)->status(at); }

    std::variant<RejectionReason, ClipboardRejection> rejection(const NativeHostResponse &response)
    {
        const auto *rejected = std::get_if<NativeHostResponse::CaptureRejected>(&response.body());
        if (!rejected) {
            ADD_FAILURE() << "not a rejection: " << response.encode().constData();
            return RejectionReason::malformedRequest;
        }
        return rejected->reason;
    }

    QTemporaryDir folder;
    QString ledgerPath;
    ScriptedClipboard clipboard;
    int opens = 0;
};

} // namespace

TEST_F(NativeHostProcessorTest, StoresACaptureThatMatchesTheClipboard)
{
    NativeHostProcessor processor(opening(), clipboard);
    clipboard.text = QStringLiteral("Copied from the page");

    const NativeHostResponse response
        = processor.process(captureMessage(firstId, payload("Copied from the page")), hostTime(0));

    const auto *stored = std::get_if<NativeHostResponse::CaptureStored>(&response.body());
    ASSERT_NE(stored, nullptr) << response.encode().constData();
    EXPECT_EQ(response.requestId(), firstUuid);
    EXPECT_FALSE(stored->sourceId.isNull());
    EXPECT_EQ(stored->expiresAt, hostTime(TovraLedger::pendingSourceLifetimeSeconds));
    EXPECT_EQ(clipboard.reads, 1);

    EXPECT_EQ(storedStatus(hostTime(1)).pendingSourceCount, 1);
    const QByteArray storedJson = decryptedLedger(ledgerPath);
    EXPECT_TRUE(storedJson.contains(stored->sourceId.toString(QUuid::WithoutBraces).toLatin1()));
    EXPECT_FALSE(storedJson.contains("Copied from the page")) << "the copied text itself is never stored";
}

TEST_F(NativeHostProcessorTest, ComparesTheClipboardAfterFingerprintNormalisation)
{
    NativeHostProcessor processor(opening(), clipboard);
    // Line endings and surrounding white space differ between the page's
    // selection and the clipboard; the content does not.
    clipboard.text = QStringLiteral("  first line\r\nsecond line\n");
    const NativeHostResponse response
        = processor.process(captureMessage(firstId, payload("first line\nsecond line")), hostTime(0));
    EXPECT_TRUE(std::holds_alternative<NativeHostResponse::CaptureStored>(response.body()))
        << response.encode().constData();

    // Inner white space and case are content.
    clipboard.text = QStringLiteral("first  line");
    EXPECT_EQ(rejection(processor.process(captureMessage(firstId, payload("first line")), hostTime(1))),
        (std::variant<RejectionReason, ClipboardRejection>(ClipboardRejection::clipboardMismatch)));
    clipboard.text = QStringLiteral("First line");
    EXPECT_EQ(rejection(processor.process(captureMessage(firstId, payload("first line")), hostTime(2))),
        (std::variant<RejectionReason, ClipboardRejection>(ClipboardRejection::clipboardMismatch)));
}

TEST_F(NativeHostProcessorTest, RefusesWhatTheClipboardDoesNotHoldAndStoresNothing)
{
    NativeHostProcessor processor(opening(), clipboard);

    clipboard.text = QStringLiteral("something else entirely");
    const NativeHostResponse mismatch
        = processor.process(captureMessage(firstId, payload("claimed text")), hostTime(0));
    EXPECT_FALSE(mismatch.isError()) << "a refusal keeps the conversation going";
    EXPECT_EQ(rejection(mismatch),
        (std::variant<RejectionReason, ClipboardRejection>(ClipboardRejection::clipboardMismatch)));

    clipboard.text.reset();
    EXPECT_EQ(rejection(processor.process(captureMessage(secondId, payload("claimed text")), hostTime(1))),
        (std::variant<RejectionReason, ClipboardRejection>(ClipboardRejection::clipboardUnavailable)));

    EXPECT_EQ(storedStatus(hostTime(2)).pendingSourceCount, 0);
}

TEST_F(NativeHostProcessorTest, ThePrivacyGuardJudgesBeforeTheClipboardIsRead)
{
    NativeHostProcessor processor(opening(), clipboard);
    clipboard.text = QStringLiteral("secret");

    QJsonObject incognito = payload("secret");
    incognito.insert("isIncognito", true);
    EXPECT_EQ(rejection(processor.process(captureMessage(firstId, incognito), hostTime(0))),
        (std::variant<RejectionReason, ClipboardRejection>(RejectionReason::incognito)));

    EXPECT_EQ(rejection(processor.process(
                  captureMessage(firstId, payload("secret", "ftp://files.example.org/a")), hostTime(1))),
        (std::variant<RejectionReason, ClipboardRejection>(RejectionReason::invalidURL)));
    EXPECT_EQ(
        rejection(processor.process(captureMessage(firstId, payload("secret", "not a url")), hostTime(2))),
        (std::variant<RejectionReason, ClipboardRejection>(RejectionReason::invalidURL)));

    clipboard.text = QStringLiteral("   ");
    EXPECT_EQ(rejection(processor.process(captureMessage(firstId, payload("   ")), hostTime(3))),
        (std::variant<RejectionReason, ClipboardRejection>(RejectionReason::emptyContent)));

    EXPECT_EQ(clipboard.reads, 0) << "a refused source must not cause a clipboard read";
    EXPECT_EQ(storedStatus(hostTime(4)).pendingSourceCount, 0);
}

TEST_F(NativeHostProcessorTest, HonoursThePauseAndTheDenylistOfTheSharedLedger)
{
    NativeHostProcessor processor(opening(), clipboard);
    clipboard.text = QStringLiteral("text");

    // The app changes the ledger while the host runs.
    openTestLedger(ledgerPath)->setPaused(true, hostTime(0));
    EXPECT_EQ(rejection(processor.process(captureMessage(firstId, payload("text")), hostTime(1))),
        (std::variant<RejectionReason, ClipboardRejection>(RejectionReason::paused)));

    const auto app = openTestLedger(ledgerPath);
    app->setPaused(false, hostTime(2));
    app->addDenylistEntry(DenylistKind::domain, QStringLiteral("example.org"), hostTime(2));
    EXPECT_EQ(rejection(processor.process(captureMessage(firstId, payload("text")), hostTime(3))),
        (std::variant<RejectionReason, ClipboardRejection>(RejectionReason::deniedDomain)));

    EXPECT_TRUE(std::holds_alternative<NativeHostResponse::CaptureStored>(
        processor.process(captureMessage(firstId, payload("text", "https://other.test/x")), hostTime(4))
            .body()));
}

TEST_F(NativeHostProcessorTest, StatusCountsUnexpiredPendingSources)
{
    NativeHostProcessor processor(opening(), clipboard);
    clipboard.text = QStringLiteral("text");
    ASSERT_FALSE(processor.process(captureMessage(firstId, payload("text")), hostTime(0)).isError());
    ASSERT_FALSE(processor.process(captureMessage(secondId, payload("text")), hostTime(60)).isError());

    const auto statusAt = [&](qint64 seconds) {
        const NativeHostResponse response = processor.process(statusMessage(secondId), hostTime(seconds));
        const auto *status = std::get_if<NativeHostResponse::Status>(&response.body());
        EXPECT_NE(status, nullptr) << response.encode().constData();
        return status ? status->status : TovraStatus {};
    };
    const TovraStatus both = statusAt(61);
    EXPECT_EQ(both.pendingSourceCount, 2);
    EXPECT_FALSE(both.paused);
    EXPECT_GE(both.ledgerVersion, 1);

    const qint64 lifetime = TovraLedger::pendingSourceLifetimeSeconds;
    EXPECT_EQ(statusAt(lifetime).pendingSourceCount, 2) << "a source is still usable at its expiry time";
    EXPECT_EQ(statusAt(lifetime + 1).pendingSourceCount, 1);
    EXPECT_EQ(statusAt(lifetime + 61).pendingSourceCount, 0);
    EXPECT_EQ(opens, 1) << "the ledger is opened once per conversation";
}

TEST_F(NativeHostProcessorTest, MalformedRequestsNeverOpenTheLedger)
{
    NativeHostProcessor processor(opening(), clipboard);
    const NativeHostResponse response = processor.process(
        R"({"schemaVersion":1,"type":"get_status","requestId":"11111111-2222-4333-8444-555555555555","x":1})",
        hostTime(0));
    const auto *error = std::get_if<NativeHostResponse::Error>(&response.body());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind, NativeMessagingError::Kind::malformedRequest);
    EXPECT_EQ(error->message, QStringLiteral("Unknown keys: x"));
    EXPECT_EQ(response.requestId(), firstUuid) << "the id is echoed whenever it can be read";

    const NativeHostResponse notJson = processor.process("{{{", hostTime(0));
    EXPECT_TRUE(notJson.isError());
    EXPECT_EQ(notJson.requestId(), std::nullopt);
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(clipboard.reads, 0);
}

TEST_F(NativeHostProcessorTest, ALedgerThatCannotBeOpenedIsUnavailable)
{
    int attempts = 0;
    NativeHostProcessor failing(
        [&]() -> std::unique_ptr<TovraLedger> {
            ++attempts;
            throw TovraLedgerError::keyUnavailable(QStringLiteral("the keyring is locked"));
        },
        clipboard);
    const NativeHostResponse response = failing.process(statusMessage(firstId), hostTime(0));
    const auto *error = std::get_if<NativeHostResponse::Error>(&response.body());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind, NativeMessagingError::Kind::ledgerUnavailable);
    EXPECT_TRUE(error->message.contains(QStringLiteral("the keyring is locked")))
        << error->message.toStdString();
    EXPECT_EQ(response.requestId(), firstUuid);
    EXPECT_EQ(attempts, 1);

    // A ledger written with another key cannot be read with this one.
    openTestLedger(ledgerPath)->setPaused(true, hostTime(0));
    NativeHostProcessor wrongKey(
        [this] { return openTestLedger(ledgerPath, QByteArray(32, '\x01')); }, clipboard);
    clipboard.text = QStringLiteral("x");
    const NativeHostResponse denied = wrongKey.process(captureMessage(firstId, payload("x")), hostTime(1));
    ASSERT_TRUE(denied.isError());
    EXPECT_EQ(std::get<NativeHostResponse::Error>(denied.body()).kind,
        NativeMessagingError::Kind::ledgerUnavailable);
}
