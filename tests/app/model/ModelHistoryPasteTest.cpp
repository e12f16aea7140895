#include "DesktopScene.h"
#include "core/citations/CitationRenderer.h"

namespace tovra::app::testing {
namespace {

const QByteArray picture = pngImage(48, 32);

// The user copied a quote or a picture in the browser earlier; it is in the
// history, and the ledger still knows its source.
QUuid copyItem(DesktopScene &s, bool image)
{
    const PendingSource source = pendingSource(image ? QStringLiteral("picture") : QStringLiteral("quote"));
    if (!image)
        return s.copyIntoHistory(s.browser, QStringLiteral("a quote"), source);
    s.provider->willReturn(op::captureApplicationImageSource, source);
    s.desktop.copyImage(s.browser, picture, PasteboardType::png);
    s.pollPasteboard();
    return s.state().currentClipboardItemID.value_or(QUuid());
}

void ledgerStillKnows(DesktopScene &s, bool image)
{
    const PendingSource source = pendingSource(QStringLiteral("source"));
    if (image)
        s.provider->willReturn(op::resolveClipboardImageSource, source);
    else
        s.provider->willReturn(op::resolveClipboardSourceByID, source);
}

// Nothing goes out when the run refuses; once the keys went out, the retry
// must not send them again.
TEST(ModelHistoryPasteTest, RefusedPastesSendNoKeyAndSentOnesAreNeverRetriedByPastingAgain)
{
    const QString excluded = QStringLiteral("目标不可用于回粘：来源或目标域名位于排除列表。");
    const auto ledgerDenies = [](DesktopScene &s) {
        s.provider->willReturn(op::preflightTracePaste, PasteExclusionReason::deniedDomain);
    };
    const struct {
        const char *name;
        bool image;
        std::function<void(DesktopScene &)> meanwhile;
        QString title;
        QString message;
        int pastes;
    } cases[] = {
        { "text the ledger refuses", false, ledgerDenies, QStringLiteral("历史回粘未执行"), excluded, 0 },
        { "picture the ledger refuses", true, ledgerDenies, QStringLiteral("图片历史回粘未执行"), excluded,
            0 },
        { "an item that expired", false, [](auto &s) { s.desktop.advance(3601s); },
            QStringLiteral("历史回粘未执行"), QStringLiteral("这条复制历史已过期或被清除。"), 0 },
        { "text whose commit fails", false,
            [](auto &s) { s.provider->willFail(op::commitTracePaste, QStringLiteral("账本无法写入")); },
            QStringLiteral("回粘已发送，但记录失败"), QStringLiteral("账本无法写入"), 1 },
        { "picture whose commit fails", true,
            [](auto &s) { s.provider->willFail(op::commitImageTracePaste, QStringLiteral("账本无法写入")); },
            QStringLiteral("图片已回粘，但记录失败"), QStringLiteral("账本无法写入"), 1 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopScene s;
        const QUuid item = copyItem(s, c.image);
        ASSERT_FALSE(item.isNull());
        c.meanwhile(s);
        ledgerStillKnows(s, c.image);
        s.desktop.switchTo(s.editor);
        s.model().requestHistoricalPaste(item);
        s.finishPaste();

        EXPECT_EQ(s.ownPastes(), c.pastes);
        ASSERT_TRUE(s.state().feedback.failure);
        const AppFailure failure = *s.state().feedback.failure;
        EXPECT_EQ(failure.title, c.title);
        EXPECT_EQ(failure.message, c.message);
        if (c.pastes == 0) {
            EXPECT_EQ(failure.recovery, AppRecoveryAction::retryHistoricalPaste(item));
            continue;
        }
        EXPECT_EQ(failure.recovery, AppRecoveryAction::reloadData());
        s.model().recover(failure);
        s.finishPaste();
        EXPECT_EQ(s.ownPastes(), 1);
    }
}

// From the app's own window: the target's toolkit shows no focused field
// while it is behind that window, so its field is known only once it is in
// front again, and the paste goes there.
TEST(ModelHistoryPasteTest, PasteBackFromTheWindowReachesATargetThatHidesItsFocusWhileBehind)
{
    for (const bool image : { false, true }) {
        SCOPED_TRACE(image ? "picture" : "text");
        DesktopScene s;
        const QUuid item = copyItem(s, image);
        ledgerStillKnows(s, image);
        s.provider->willReturn(
            image ? op::commitImageTracePaste : op::commitTracePaste, recorded(QStringLiteral("R")));
        s.desktop.workspace().application(s.editor).hidesFocusWhileInactive = true;
        s.desktop.switchTo(s.editor);
        s.desktop.switchTo(s.desktop.ownProcessIdentifier());
        s.model().requestHistoricalPaste(item);
        s.finishPaste();

        EXPECT_FALSE(s.state().feedback.failure) << s.state().feedback.failure->message.toStdString();
        EXPECT_EQ(s.ownPastes(), 1);
        const SimulatedElement &field = *s.desktop.workspace().application(s.editor).focused();
        if (image)
            EXPECT_EQ(field.images, QList { picture });
        else
            EXPECT_EQ(field.text, QStringLiteral("a quote"));
    }
}

// Into Obsidian with citations on: text carries its citation, a picture never
// does; the ledger gets what was copied, and the pasteboard gets back what the
// user copied last.
TEST(ModelHistoryPasteTest, TextIsCitedInObsidianAPictureNeverAndThePasteboardComesBack)
{
    for (const bool image : { false, true }) {
        SCOPED_TRACE(image ? "picture" : "text");
        DesktopScene s;
        s.model().setObsidianCitationEnabled(true);
        const QUuid item = copyItem(s, image);
        s.desktop.copyText(s.editor, QStringLiteral("copied last"));
        ledgerStillKnows(s, image);
        const CitationSource citation = webCitation();
        s.provider->willReturn(op::resolveCitationSource, citation);
        s.provider->willReturn(
            image ? op::commitImageTracePaste : op::commitTracePaste, recorded(QStringLiteral("R")));
        s.desktop.switchTo(s.notes);
        s.model().requestHistoricalPaste(item);
        s.finishPaste();

        const SimulatedElement &field = *s.desktop.workspace().application(s.notes).focused();
        if (image) {
            EXPECT_EQ(s.provider->callCount(op::resolveCitationSource), 0);
            EXPECT_EQ(field.images, QList { picture });
            EXPECT_EQ(
                s.provider->calls(op::commitImageTracePaste).at(0).argument<std::optional<QByteArray>>(1),
                picture);
            EXPECT_EQ(s.notice(),
                QStringLiteral("已向 Obsidian 发送图片回粘并记录 App 级流向；原系统剪贴板已恢复。"));
        } else {
            EXPECT_EQ(field.text,
                CitationRenderer::render(QStringLiteral("a quote"), citation, CitationFormat::inline_,
                    CitationLinkMode::webWhenAvailable, QTimeZone(QByteArrayLiteral("UTC"))));
            EXPECT_EQ(s.provider->calls(op::commitTracePaste).at(0).argument<std::optional<QString>>(1),
                QStringLiteral("a quote"));
            EXPECT_EQ(s.notice(),
                QStringLiteral(
                    "已向 Obsidian 发送回粘并附加 Markdown 来源，并记录来源与目标；原系统剪贴板已恢复。"));
        }
        EXPECT_EQ(s.desktop.pasteboard().string(), QStringLiteral("copied last"));
        EXPECT_EQ(s.state().selectedClipboardItemID, item);
        ASSERT_EQ(s.state().clipboardItems.size(), 1);
        EXPECT_EQ(s.state().clipboardItems.at(0).pasteCount, 1);
    }
}

} // namespace
} // namespace tovra::app::testing
