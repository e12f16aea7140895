#include "core/ledger/TovraLedger.h"
#include "core/ledger/TovraLedgerError.h"

#include "LedgerTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::at;
using tovra::testing::browserCapture;
using tovra::testing::textEditor;

namespace {

class TovraLedgerSourcesTest : public tovra::testing::LedgerFixture { };

const QString copiedText = QStringLiteral("The quick brown fox, 敏捷的狐狸, jumps over the lazy dog.");

} // namespace

TEST_F(TovraLedgerSourcesTest, MissingFileIsAnEmptyLedgerCreatedOnlyByTheFirstChange)
{
    auto ledger = openLedger();
    EXPECT_EQ(ledger->status(at(0)), (TovraStatus { false, 0, LedgerSnapshot::currentVersion }));
    EXPECT_TRUE(ledger->listRecords().isEmpty());
    EXPECT_EQ(ledger->resolveClipboardSource(copiedText, at(0)), std::nullopt);
    EXPECT_FALSE(QFile::exists(ledgerPath()));

    ledger->captureSource(browserCapture(copiedText), at(0));
    EXPECT_TRUE(QFile::exists(ledgerPath()));
    EXPECT_EQ(openLedger()->status(at(1)).pendingSourceCount, 1);
}

TEST_F(TovraLedgerSourcesTest, BrowserCaptureStoresSanitisedMetadataAndANewSourceEachTime)
{
    auto ledger = openLedger();
    SourceCapturePayload payload = browserCapture(
        copiedText, QStringLiteral("https://User:pw@Example.org/a?id=7&utm_source=mail#part"));
    payload.title = QStringLiteral("  A title  ");
    const SourceCaptureResult first = ledger->captureSource(payload, at(10));
    ASSERT_EQ(first.kind(), SourceCaptureResult::Kind::stored);
    const PendingSource &source = *first.storedSource();
    EXPECT_EQ(source.captureMethod, CaptureMethod::chromeExtension);
    EXPECT_EQ(source.sanitizedURL, QStringLiteral("https://example.org/a?id=7"));
    EXPECT_EQ(source.pageTitle, QStringLiteral("A title"));
    EXPECT_EQ(source.byteCount, copiedText.toUtf8().size());
    EXPECT_EQ(source.expiresAt, at(10 + TovraLedger::pendingSourceLifetimeSeconds));

    const SourceCaptureResult second = ledger->captureSource(browserCapture(copiedText), at(11));
    ASSERT_EQ(second.kind(), SourceCaptureResult::Kind::stored);
    EXPECT_NE(second.storedSource()->id, source.id);
    EXPECT_EQ(second.storedSource()->contentFingerprint, source.contentFingerprint);
}

TEST_F(TovraLedgerSourcesTest, BrowserCapturesAreJudgedByTheGuardWithDefaultAndCustomRules)
{
    auto ledger = openLedger();
    ledger->addDenylistEntry(DenylistKind::domain, QStringLiteral("bank.example"), at(0));

    SourceCapturePayload incognito = browserCapture(copiedText);
    incognito.isIncognito = true;
    const std::pair<SourceCapturePayload, RejectionReason> cases[] = {
        { incognito, RejectionReason::incognito },
        { browserCapture(copiedText, QStringLiteral("file:///etc/passwd")), RejectionReason::invalidURL },
        { browserCapture(copiedText, QStringLiteral("https://login.bank.example/")),
            RejectionReason::deniedDomain },
        { browserCapture(QStringLiteral(" \n\t ")), RejectionReason::emptyContent },
        { browserCapture(QString(262'145, QLatin1Char('x'))), RejectionReason::contentTooLarge },
    };
    for (const auto &[payload, reason] : cases) {
        const SourceCaptureResult result = ledger->captureSource(payload, at(1));
        EXPECT_EQ(result.rejectionReason(), reason) << payload.url.toStdString();
    }
    ledger->setPaused(true, at(2));
    EXPECT_EQ(
        ledger->captureSource(browserCapture(copiedText), at(3)).rejectionReason(), RejectionReason::paused);
    EXPECT_EQ(ledger->status(at(4)).pendingSourceCount, 0);
}

TEST_F(TovraLedgerSourcesTest, CopiedContentIsNeverWrittenToTheLedger)
{
    const QString secretText
        = QStringLiteral("Unmistakable copied sentence 7f3a-91c2 that must stay private");
    const QByteArray imageBytes = QByteArrayLiteral("\x89PNG\r\n\x1a\n-unmistakable-image-payload-5521");
    {
        auto ledger = openLedger();
        ledger->captureSource(browserCapture(secretText), at(0));
        ledger->captureApplicationSource(textEditor(), secretText, CaptureMethod::pasteboardInference, at(1));
        ledger->captureApplicationImageSource(
            textEditor(), imageBytes, CaptureMethod::keyboardObservation, at(2));
        ASSERT_EQ(ledger->commitTracePaste(tovra::testing::obsidianNote(), secretText, at(3)).kind(),
            PasteCommitResult::Kind::recorded);
        ASSERT_EQ(ledger->observeStandardImagePaste(tovra::testing::obsidianNote(), imageBytes, at(4)).kind(),
            PasteCommitResult::Kind::recorded);
    }
    const QByteArray json = tovra::testing::decryptLedger(ledgerPath());
    ASSERT_TRUE(json.contains("pendingSources"));
    for (const QByteArray &fragment : { QByteArrayLiteral("7f3a-91c2"), secretText.toUtf8().toBase64(),
             QByteArrayLiteral("unmistakable-image-payload"), imageBytes.toBase64(), imageBytes.toHex() })
        EXPECT_FALSE(json.contains(fragment)) << fragment.toStdString();
}

TEST_F(TovraLedgerSourcesTest, ApplicationCaptureDeclinesWhenPausedDeniedOrWithoutContent)
{
    auto ledger = openLedger();
    const auto capture = [&](const SourceApplication &application, const QString &text) {
        return ledger->captureApplicationSource(application, text, CaptureMethod::pasteboardInference, at(1));
    };
    const std::pair<SourceApplication, QString> declined[] = {
        { { QStringLiteral("Terminal"), QStringLiteral("org.gnome.Terminal"), 1 }, copiedText },
        { { QStringLiteral("Shell"), QStringLiteral("gnome-shell"), 1 }, copiedText },
        { { QStringLiteral("Nameless"), QStringLiteral("  "), 1 }, copiedText },
        { textEditor(), QStringLiteral("   ") },
        { textEditor(), QString(262'145, QLatin1Char('y')) },
    };
    for (const auto &[application, text] : declined)
        EXPECT_EQ(capture(application, text), std::nullopt) << application.bundleID.toStdString();
    EXPECT_EQ(ledger->captureApplicationImageSource(
                  textEditor(), QByteArray(), CaptureMethod::pasteboardInference, at(1)),
        std::nullopt);

    ledger->addDenylistEntry(DenylistKind::bundleID, QStringLiteral("ORG.gnome.texteditor"), at(2));
    EXPECT_EQ(capture(textEditor(), copiedText), std::nullopt);
    ledger->removeDenylistEntry(DenylistKind::bundleID, QStringLiteral("org.gnome.texteditor"), at(3));
    ledger->setPaused(true, at(4));
    EXPECT_EQ(capture(textEditor(), copiedText), std::nullopt);
    ledger->setPaused(false, at(5));
    EXPECT_TRUE(capture(textEditor(), copiedText).has_value());
    EXPECT_EQ(ledger->status(at(6)).pendingSourceCount, 1);
}

TEST_F(TovraLedgerSourcesTest, ResolutionPrefersTheBrowserFollowsNormalisedContentAndHonoursTheGivenSource)
{
    auto ledger = openLedger();
    const QString text = QStringLiteral("line one\nline two");
    const auto browser = *ledger->captureSource(browserCapture(text), at(0)).storedSource();
    const auto application
        = ledger->captureApplicationSource(textEditor(), text, CaptureMethod::pasteboardInference, at(30));
    ASSERT_TRUE(application.has_value());
    EXPECT_EQ(application->sourceAppBundleID, QStringLiteral("org.gnome.TextEditor"));
    EXPECT_EQ(application->sourceProcessIdentifier, 4242);
    // The same text read back with CR LF endings and surrounding space still matches.
    EXPECT_EQ(ledger->resolveClipboardSource(QStringLiteral("  line one\r\nline two\n"), at(40)), browser);
    EXPECT_EQ(ledger->resolveClipboardSource(application->id, text, at(40)), application);
    EXPECT_EQ(
        ledger->resolveClipboardSource(application->id, QStringLiteral("line one"), at(40)), std::nullopt);
    EXPECT_EQ(ledger->resolveClipboardSource(QStringLiteral("line one"), at(40)), std::nullopt);

    const QUuid traceID = QUuid::createUuid();
    const auto best = ledger->resolveCitationSource(text, traceID, std::nullopt, at(40));
    ASSERT_TRUE(best.has_value());
    EXPECT_EQ(best->traceID, traceID);
    EXPECT_EQ(best->sourceID, browser.id);
    EXPECT_EQ(best->sourceTitle, browser.pageTitle);
    EXPECT_EQ(
        ledger->resolveCitationSource(text, traceID, application->id, at(40))->sourceID, application->id);
    EXPECT_EQ(ledger->resolveCitationSource(QStringLiteral("other"), traceID, application->id, at(40)),
        std::nullopt);

    const QByteArray image(4096, '\x7f');
    const auto picture = ledger->captureApplicationImageSource(
        textEditor(), image, CaptureMethod::keyboardObservation, at(41));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(ledger->resolveClipboardImageSource(picture->id, image, at(42)), picture);
    EXPECT_EQ(ledger->resolveClipboardImageSource(picture->id, image + "x", at(42)), std::nullopt);
    EXPECT_EQ(ledger->resolveClipboardImageSource(application->id, image, at(42)), std::nullopt);
}

TEST_F(TovraLedgerSourcesTest, SourcesExpireAfterTheirLifetimeAreRemovedByIdAndPrunedOnTheNextWrite)
{
    auto ledger = openLedger();
    const qint64 lifetime = TovraLedger::pendingSourceLifetimeSeconds;
    ASSERT_GE(lifetime, 3600);
    const auto source = *ledger->captureSource(browserCapture(copiedText), at(0)).storedSource();
    const auto removed
        = *ledger->captureSource(browserCapture(QStringLiteral("removed")), at(0)).storedSource();
    ledger->removePendingSources({ removed.id, QUuid::createUuid() }, at(1));
    EXPECT_EQ(ledger->resolveClipboardSource(QStringLiteral("removed"), at(2)), std::nullopt);
    EXPECT_EQ(openLedger()->status(at(2)).pendingSourceCount, 1);

    // A history item lives 3600 s; its source must still resolve at that moment.
    EXPECT_EQ(ledger->resolveClipboardSource(source.id, copiedText, at(3600)), source);
    EXPECT_EQ(ledger->resolveClipboardSource(copiedText, at(lifetime)), source);
    EXPECT_EQ(ledger->resolveClipboardSource(copiedText, at(lifetime + 1)), std::nullopt);
    EXPECT_EQ(ledger->status(at(lifetime + 1)).pendingSourceCount, 0);
    const QByteArray id = source.id.toString(QUuid::WithoutBraces).toUtf8();
    EXPECT_TRUE(tovra::testing::decryptLedger(ledgerPath()).contains(id));
    ledger->setPaused(true, at(lifetime + 2));
    EXPECT_FALSE(tovra::testing::decryptLedger(ledgerPath()).contains(id));
}
