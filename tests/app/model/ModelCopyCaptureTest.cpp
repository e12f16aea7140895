#include "DesktopScene.h"

namespace tovra::app::testing {
namespace {

// Ctrl+C in the editor, then the browser comes to the front before the
// pasteboard change is seen: the copy is the editor's for 0.75 s.
TEST(ModelCopyCaptureTest, AChangeSeenWithin750MsOfACopyKeyBelongsToItsApplication)
{
    const struct {
        std::chrono::milliseconds seenAfter;
        QString application;
        bool inferred;
    } cases[] = {
        { 750ms, QStringLiteral("org.example.Editor"), false },
        { 760ms, QStringLiteral("org.example.Browser"), true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seenAfter.count());
        DesktopScene s;
        s.desktop.copyText(s.editor, QStringLiteral("a line"));
        ASSERT_TRUE(s.model().pendingKeyboardCopy());
        s.desktop.switchTo(s.browser);
        s.desktop.advance(c.seenAfter);
        s.pollPasteboard();

        ASSERT_EQ(s.provider->callCount(op::captureApplicationSource), 1);
        const auto capture = s.provider->calls(op::captureApplicationSource).at(0);
        EXPECT_EQ(capture.argument<ApplicationSnapshot>(0).bundleIdentifier, c.application);
        EXPECT_EQ(capture.argument<QString>(1), QStringLiteral("a line"));
        EXPECT_EQ(capture.argument<bool>(2), c.inferred);
        EXPECT_FALSE(s.model().pendingKeyboardCopy());
    }
}

// What is copied in a password field, a denylisted application or a part of
// the desktop itself reaches neither the ledger nor the history.
TEST(ModelCopyCaptureTest, ACopyFromAnExcludedSourceIsNeitherRecordedNorKept)
{
    const struct {
        const char *name;
        std::function<ProcessIdentifier(DesktopScene &)> copier;
        bool kept;
    } cases[] = {
        { "an ordinary field", [](auto &s) { return s.editor; }, true },
        { "a denylisted application", [](auto &s) { return s.vault; }, false },
        { "a password field",
            [](auto &s) {
                s.desktop.workspace().application(s.editor).elements[0].isSecure = true;
                return s.editor;
            },
            false },
        { "the desktop shell",
            [](auto &s) {
                return s.desktop.launch(QStringLiteral("GNOME Shell"), QStringLiteral("org.gnome.Shell"));
            },
            false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopScene s;
        const ProcessIdentifier copier = c.copier(s);
        s.copyIntoHistory(copier, QStringLiteral("secret"), pendingSource(QStringLiteral("secret")));

        EXPECT_EQ(s.provider->callCount(op::captureApplicationSource), c.kept ? 1 : 0);
        EXPECT_EQ(s.state().clipboardItems.size(), c.kept ? 1 : 0);
    }
}

TEST(ModelCopyCaptureTest, ACopyThatChangesWhileTheLedgerRecordsItsSourceLeavesNothingBehind)
{
    DesktopScene s;
    const PendingSource source = pendingSource(QStringLiteral("first"));
    s.provider->willReturn(op::captureApplicationSource, source);
    s.provider->hold(op::captureApplicationSource);
    s.desktop.copyText(s.browser, QStringLiteral("first"));
    s.pollPasteboard();
    s.desktop.pasteboard().setText(QStringLiteral("second"));
    s.provider->release(op::captureApplicationSource);

    ASSERT_EQ(s.provider->callCount(op::removePendingSources), 1);
    EXPECT_EQ(s.provider->calls(op::removePendingSources).at(0).argument<QSet<QUuid>>(0), QSet { source.id });
    EXPECT_TRUE(s.state().clipboardItems.isEmpty());
}

// The browser's own capture of the copied text may reach the ledger late; the
// passes at 200 and 750 ms attach it to the history item while the text is
// still the one on the pasteboard and the item still exists.
TEST(ModelCopyCaptureTest, ALateBrowserCaptureIsAttachedOnlyWhileTheCopyStands)
{
    const PendingSource web = pendingSource(QStringLiteral("quote"), CaptureMethod::chromeExtension);
    const struct {
        const char *name;
        QList<std::optional<PendingSource>> answers;
        std::function<void(DesktopScene &)> at500ms;
        int resolves;
        bool attached;
        bool itemKept;
    } cases[] = {
        { "arrives before 200 ms", { web }, nullptr, 2, true, true },
        { "arrives before 750 ms", { std::nullopt, web }, nullptr, 2, true, true },
        { "never arrives", {}, nullptr, 2, false, true },
        { "the user copies again", { std::nullopt, web },
            [](auto &s) { s.desktop.pasteboard().setText(QStringLiteral("other")); }, 1, false, true },
        { "the user deletes the item", { std::nullopt, web },
            [](auto &s) { s.model().deleteClipboardItem(s.state().clipboardItems.at(0).id); }, 2, false,
            false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopScene s;
        for (const auto &answer : c.answers)
            s.provider->willReturn(op::resolveClipboardSource, answer);
        const QUuid item
            = s.copyIntoHistory(s.browser, QStringLiteral("a quote"), pendingSource(QStringLiteral("quote")));
        ASSERT_FALSE(item.isNull());
        s.desktop.advance(500ms);
        if (c.at500ms)
            c.at500ms(s);
        s.desktop.advance(300ms);
        // The history is read again at the next expiry pass.
        s.desktop.advance(30s);

        EXPECT_EQ(s.provider->callCount(op::resolveClipboardSource), c.resolves);
        ASSERT_EQ(s.state().clipboardItems.size(), c.itemKept ? 1 : 0);
        if (c.itemKept) {
            EXPECT_EQ(s.state().clipboardItems.at(0).id, item);
            EXPECT_EQ(s.state().clipboardItems.at(0).source.id == web.id, c.attached);
        }
    }
}

TEST(ModelCopyCaptureTest, AnImageThatCannotBeKeptIsNotRecordedAndTheUserIsTold)
{
    const struct {
        QByteArray data;
        QString notice;
    } cases[] = {
        { QByteArray(20'971'521, 'x'),
            QStringLiteral("图片大小为 21 MB，超过 20 MB 会话上限；本次未记录，系统剪贴板不受影响。") },
        { QByteArray("not a picture"),
            QStringLiteral("检测到图片剪贴板，但当前格式无法安全解码；本次未记录。") },
    };
    for (const auto &c : cases) {
        DesktopScene s;
        s.desktop.copyImage(s.browser, c.data, PasteboardType::png);
        s.pollPasteboard();
        EXPECT_EQ(s.notice(), c.notice);
        EXPECT_EQ(s.provider->callCount(op::captureApplicationImageSource), 0);
        EXPECT_EQ(s.provider->callCount(op::captureApplicationSource), 0);
        EXPECT_EQ(s.desktop.pasteboard().imageData()->data, c.data);
    }
}

// The image is decoded off the GUI thread; the ledger hears of it only once
// that is done, and not at all when the user copied something else
// meanwhile.
TEST(ModelCopyCaptureTest, ACopiedImageIsDecodedInTheBackgroundAndACopyMeanwhileVoidsIt)
{
    const QByteArray picture = pngImage(64, 48);
    for (const bool copiesMeanwhile : { false, true }) {
        SCOPED_TRACE(copiesMeanwhile);
        DesktopScene s;
        s.provider->willReturn(op::captureApplicationImageSource, pendingSource(QStringLiteral("image")));
        s.backgroundWork->hold();
        s.desktop.copyImage(s.browser, picture, PasteboardType::png);
        s.pollPasteboard();
        EXPECT_EQ(s.backgroundWork->waitingCount(), 1);
        EXPECT_EQ(s.provider->callCount(op::captureApplicationImageSource), 0);

        if (copiesMeanwhile)
            s.desktop.copyText(s.editor, QStringLiteral("a line"));
        s.backgroundWork->release();
        s.settle();

        ASSERT_EQ(s.provider->callCount(op::captureApplicationImageSource), copiesMeanwhile ? 0 : 1);
        EXPECT_EQ(s.state().clipboardItems.size(), copiesMeanwhile ? 0 : 1);
        EXPECT_EQ(s.notice(), QString());
        if (!copiesMeanwhile) {
            EXPECT_EQ(
                s.provider->calls(op::captureApplicationImageSource).at(0).argument<QByteArray>(1), picture);
        }
    }
}

} // namespace
} // namespace tovra::app::testing
