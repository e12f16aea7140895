#include "DesktopScene.h"
#include "core/citations/CitationRenderer.h"
#include "platform/SystemIntegrationError.h"

namespace tovra::app::testing {
namespace {

using Reason = PasteExclusionReason;

// The user copies a quote in the browser, switches to the target and presses
// the hot key; the target or the ledger says no.
TEST(ModelTracePasteTest, AnExcludedTargetGetsAPlainPasteOrNoneAndThePasteboardIsNeverRead)
{
    const QString plain = QStringLiteral(
        "已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（%1）。目标 App 未回执实际写入。");
    const QString none = QStringLiteral("未发送粘贴，也未读取剪贴板（%1）。");
    const struct {
        const char *name;
        std::function<ProcessIdentifier(DesktopScene &)> target;
        std::optional<Reason> preflight;
        QList<QKeyCombination> keys;
        QString notice;
    } cases[] = {
        { "denylisted application", [](auto &s) { return s.vault; }, {}, { SimulatedKeyboard::pasteKeys },
            plain.arg(QStringLiteral("目标 App 位于排除列表")) },
        { "denylisted terminal",
            [](auto &s) {
                s.desktop.workspace().application(s.vault).isTerminalEmulator = true;
                return s.vault;
            },
            {}, { SimulatedKeyboard::terminalPasteKeys },
            plain.arg(QStringLiteral("目标 App 位于排除列表")) },
        { "terminal on no list",
            [](auto &s) {
                s.desktop.workspace().application(s.editor).isTerminalEmulator = true;
                return s.editor;
            },
            {}, { SimulatedKeyboard::terminalPasteKeys },
            plain.arg(QStringLiteral("目标 App 位于排除列表")) },
        { "domain denied by the ledger", [](auto &s) { return s.editor; }, Reason::deniedDomain,
            { SimulatedKeyboard::pasteKeys }, plain.arg(QStringLiteral("来源或目标域名位于排除列表")) },
        { "ledger paused", [](auto &s) { return s.editor; }, Reason::paused, {},
            none.arg(QStringLiteral("暂停状态")) },
        { "paused here",
            [](auto &s) {
                s.model().togglePaused();
                s.settle();
                return s.editor;
            },
            {}, {}, QStringLiteral("Tovra当前已暂停。") },
        { "application that describes no field, so maybe a password field",
            [](auto &s) {
                s.desktop.workspace().application(s.editor).exposesAccessibility = false;
                return s.editor;
            },
            {}, { SimulatedKeyboard::pasteKeys },
            plain.arg(QStringLiteral("目标 App 未公开输入框信息，无法确认是否为密码框")) },
        { "field that takes no text",
            [](auto &s) {
                s.desktop.workspace().application(s.editor).elements[0].isEditable = false;
                return s.editor;
            },
            {}, {}, none.arg(QStringLiteral("目标信息不完整")) },
        { "persistent state not loaded",
            [](auto &s) {
                s.provider->willFail(op::listRecords, QStringLiteral("账本不可读"));
                s.finish(s.model().reload());
                return s.editor;
            },
            {}, {}, QStringLiteral("本地安全状态尚未加载，本次未执行粘贴。请先解决菜单中的读取错误。") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopScene s;
        s.desktop.copyText(s.browser, QStringLiteral("a quote"));
        s.pollPasteboard();
        const ProcessIdentifier target = c.target(s);
        s.desktop.switchTo(target);
        if (c.preflight)
            s.provider->willReturn(op::preflightTracePaste, c.preflight);
        int reads = 0;
        s.desktop.pasteboard().setReadHook([&reads](const QString &) { ++reads; });

        ASSERT_TRUE(s.desktop.pressHotKey());
        s.finishPaste();
        QList<QKeyCombination> keys;
        for (const SimulatedKeyEvent &event : s.desktop.keyboard().ownEvents()) {
            if (event.isKeyDown)
                keys.append(event.keys);
        }
        EXPECT_EQ(keys, c.keys);
        EXPECT_EQ(s.notice(), c.notice);
        // The target's own paste is the only reader.
        EXPECT_EQ(reads, c.keys.size());
        EXPECT_EQ(s.provider->callCount(op::commitTracePaste), 0);
        EXPECT_EQ(s.provider->callCount(op::preflightTracePaste), c.preflight ? 1 : 0);
        EXPECT_EQ(s.desktop.focusedText(target).isEmpty(), c.keys.isEmpty());
    }
}

// Into Obsidian the quote goes with its citation; the ledger gets the quote as
// copied, and 0.3 s later the pasteboard holds it again, unless the user
// copied something meanwhile: that stays, and is captured once the paste ends.
TEST(ModelTracePasteTest, ObsidianGetsTheCitationTheLedgerThePlainTextAndTheUsersCopyIsKept)
{
    for (const bool userCopies : { false, true }) {
        SCOPED_TRACE(userCopies ? "the user copies during the wait" : "nobody touches the pasteboard");
        DesktopScene s;
        s.model().setObsidianCitationEnabled(true);
        s.desktop.copyText(s.browser, QStringLiteral("a quote"));
        s.pollPasteboard();
        s.provider->forgetCalls();
        s.desktop.switchTo(s.notes);
        const CitationSource citation = webCitation();
        s.provider->willReturn(op::resolveCitationSource, citation);
        s.provider->willReturn(op::commitTracePaste, recorded(QStringLiteral("Cited")));
        const QString rendered = CitationRenderer::render(QStringLiteral("a quote"), citation,
            CitationFormat::inline_, CitationLinkMode::webWhenAvailable, QTimeZone(QByteArrayLiteral("UTC")));
        ASSERT_NE(rendered, QStringLiteral("a quote"));

        s.desktop.pressHotKey();
        s.desktop.advance(140ms);
        EXPECT_EQ(s.desktop.focusedText(s.notes), rendered);
        if (userCopies) {
            s.desktop.advance(100ms);
            s.desktop.copyText(s.notes, QStringLiteral("typed meanwhile"));
            s.pollPasteboard();
            s.desktop.advance(200ms);
        } else {
            s.desktop.advance(299ms);
            EXPECT_EQ(s.desktop.pasteboard().string(), rendered);
            s.desktop.advance(1ms);
        }
        EXPECT_EQ(s.desktop.pasteboard().string(), userCopies ? "typed meanwhile" : "a quote");
        s.finishPaste();

        ASSERT_EQ(s.provider->callCount(op::commitTracePaste), 1);
        const auto commit = s.provider->calls(op::commitTracePaste).at(0);
        EXPECT_EQ(commit.argument<std::optional<QString>>(1), QStringLiteral("a quote"));
        EXPECT_EQ(commit.argument<std::optional<QUuid>>(2),
            s.provider->calls(op::resolveCitationSource).at(0).argument<QUuid>(1));
        EXPECT_EQ(s.notice(),
            QStringLiteral("已发送包含 Markdown 来源的粘贴动作并记录 App 流向；Obsidian 尚未回执实际写入。"));
        EXPECT_EQ(s.state().records.value(0).source.title, QStringLiteral("Cited"));

        EXPECT_EQ(s.provider->callCount(op::captureApplicationSource), 0)
            << "nothing is captured while pasting";
        s.pollPasteboard();
        const auto captures = s.provider->calls(op::captureApplicationSource);
        ASSERT_EQ(captures.size(), userCopies ? 1 : 0) << "only the user's copy is captured afterwards";
        if (userCopies) {
            EXPECT_EQ(captures.at(0).argument<QString>(1), QStringLiteral("typed meanwhile"));
        }
    }
}

// Linux toolkits hide the focused field while the hot key's grab holds the
// keyboard, and for a moment after it: the paste waits until the target tells
// its field again, and a password field then gets no traced paste.
TEST(ModelTracePasteTest, AFocusHiddenAtTheHotKeyIsAwaitedAndAPasswordFieldIsNeverTraced)
{
    const QString sensitive = QStringLiteral("已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（目标是"
                                             "敏感或安全输入框）。目标 App 未回执实际写入。");
    for (const bool intoPassword : { false, true }) {
        SCOPED_TRACE(intoPassword ? "password field" : "plain field");
        DesktopScene s;
        SimulatedApplication &editor = s.desktop.workspace().application(s.editor);
        SimulatedElement secret;
        secret.identifier = QStringLiteral("secret");
        secret.windowTitle = QStringLiteral("Editor");
        secret.role = QStringLiteral("password text");
        secret.isSecure = true;
        editor.elements.append(secret);
        s.desktop.copyText(s.browser, QStringLiteral("a quote"));
        s.desktop.switchTo(s.editor);
        s.desktop.workspace().focus(
            s.editor, intoPassword ? QStringLiteral("secret") : editor.elements[0].identifier);
        s.provider->willReturn(op::commitTracePaste, recorded(QStringLiteral("Traced")));
        editor.showsFocus = false;

        s.desktop.pressHotKey();
        s.desktop.advance(200ms);
        EXPECT_TRUE(s.state().isPasting);
        EXPECT_EQ(s.ownPastes(), 0) << "nothing goes out while the field is hidden";
        editor.showsFocus = true;
        s.finishPaste();

        EXPECT_FALSE(s.state().feedback.failure);
        EXPECT_EQ(s.ownPastes(), 1);
        EXPECT_EQ(s.provider->callCount(op::commitTracePaste), intoPassword ? 0 : 1);
        if (intoPassword)
            EXPECT_EQ(s.notice(), sensitive);
        else
            EXPECT_EQ(s.desktop.focusedText(s.editor), QStringLiteral("a quote"));
    }
}

// A field that never shows again is not a field known to be safe.
TEST(ModelTracePasteTest, AFocusThatNeverComesBackCancelsThePaste)
{
    DesktopScene s;
    s.desktop.copyText(s.browser, QStringLiteral("a quote"));
    s.desktop.switchTo(s.editor);
    s.desktop.workspace().application(s.editor).showsFocus = false;
    s.desktop.pressHotKey();
    s.finishPaste();

    EXPECT_EQ(s.ownPastes(), 0);
    EXPECT_EQ(s.provider->callCount(op::commitTracePaste), 0);
    EXPECT_EQ(s.failureTitle(), QStringLiteral("带溯源粘贴未执行"));
    EXPECT_EQ(s.state().feedback.failure->message,
        SystemIntegrationError(SystemIntegrationError::Kind::targetFocusUnknown).localizedDescription());
}

// xterm pastes the clipboard on no key: it gets none, and nobody is told that
// a paste was sent.
TEST(ModelTracePasteTest, ATerminalWithoutAPasteKeyGetsNoKeysAndAFailure)
{
    DesktopScene s;
    SimulatedApplication &terminal = s.desktop.workspace().application(s.editor);
    terminal.isTerminalEmulator = true;
    terminal.hasPasteKey = false;
    s.desktop.copyText(s.browser, QStringLiteral("a quote"));
    s.desktop.switchTo(s.editor);
    s.desktop.pressHotKey();
    s.finishPaste();

    EXPECT_EQ(s.ownPastes(), 0);
    EXPECT_TRUE(s.desktop.focusedText(s.editor).isEmpty());
    EXPECT_TRUE(s.notice().isEmpty());
    EXPECT_EQ(s.failureTitle(), QStringLiteral("带溯源粘贴未执行"));
    EXPECT_EQ(s.state().feedback.failure->message,
        SystemIntegrationError(SystemIntegrationError::Kind::pasteShortcutUnknown).localizedDescription());
}

// The paste went out; what the ledger made of it is told as it is: only a
// sensitive field is called a sensitive target.
TEST(ModelTracePasteTest, TheLedgersAnswerToTheCommitIsToldAsItIs)
{
    const struct {
        const char *name;
        PastePreparationOutcome outcome;
        QString notice;
        const char *symbol;
        bool listed;
    } cases[] = {
        { "recorded",
            PastePreparationOutcome::recorded(
                sampleRecord(QStringLiteral("Quoted"), SimulatedClock::defaultStart())),
            QStringLiteral("已发送粘贴动作并记录来源与目标；目标 App 未回执实际写入。"), "eye", true },
        { "sensitive field", PastePreparationOutcome::excluded(Reason::sensitiveField),
            QStringLiteral(
                "敏感目标：已发送粘贴动作但未记录（目标是敏感或安全输入框）。目标 App 未回执实际写入。"),
            "hand.raised.slash", false },
        { "denied domain", PastePreparationOutcome::excluded(Reason::deniedDomain),
            QStringLiteral(
                "未记录：已发送粘贴动作但未记录（来源或目标域名位于排除列表）。目标 App 未回执实际写入。"),
            "exclamationmark.circle", false },
        { "no matching source", PastePreparationOutcome::sourceUnmatched(),
            QStringLiteral(
                "已发送粘贴动作；未找到 HMAC 匹配的待处理来源，因此未建立记录。目标 App 未回执实际写入。"),
            "link.badge.plus", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopScene s;
        s.desktop.copyText(s.browser, QStringLiteral("a quote"));
        s.desktop.switchTo(s.editor);
        s.provider->willReturn(op::commitTracePaste, PasteCommit { c.outcome });
        s.desktop.pressHotKey();
        s.finishPaste();

        EXPECT_EQ(s.desktop.focusedText(s.editor), QStringLiteral("a quote"));
        EXPECT_EQ(s.notice(), c.notice);
        ASSERT_TRUE(s.state().feedback.notice);
        EXPECT_EQ(s.state().feedback.notice->systemImage, QLatin1String(c.symbol));
        EXPECT_EQ(s.state().records.value(0).source.title, c.listed ? QStringLiteral("Quoted") : QString());
    }
}

// The last look at the target and the clipboard is the one right before the
// keys: another window brought forward while the ledger answers, or while the
// hot key's Alt and Shift are still held, gets nothing, and neither does the
// target; a copy made while a citation's source is looked up is neither
// overwritten nor recorded as the old text.
TEST(ModelTracePasteTest, AChangeOfTargetOrClipboardMidRunFailsWithoutPasting)
{
    const struct {
        const char *name;
        std::function<void(DesktopScene &)> arrange;
        std::function<void(DesktopScene &)> meanwhile;
        SystemIntegrationError::Kind error;
        QString clipboard;
    } cases[] = {
        { "another application while the ledger answers",
            [](auto &s) {
                s.desktop.switchTo(s.editor);
                s.provider->hold(op::preflightTracePaste);
            },
            [](auto &s) { s.desktop.switchTo(s.browser); }, SystemIntegrationError::Kind::targetChanged,
            QStringLiteral("a quote") },
        { "another application while Alt and Shift are held",
            [](auto &s) {
                s.desktop.switchTo(s.editor);
                s.desktop.keyboard().whileModifiersAreHeld([&s] { s.desktop.switchTo(s.browser); });
            },
            nullptr, SystemIntegrationError::Kind::targetChanged, QStringLiteral("a quote") },
        { "a copy while the citation's source is looked up",
            [](auto &s) {
                s.model().setObsidianCitationEnabled(true);
                s.desktop.switchTo(s.notes);
                s.provider->willReturn(op::resolveCitationSource, webCitation());
                s.provider->hold(op::resolveCitationSource);
            },
            [](auto &s) { s.desktop.copyText(s.notes, QStringLiteral("copied meanwhile")); },
            SystemIntegrationError::Kind::clipboardChanged, QStringLiteral("copied meanwhile") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopScene s;
        s.desktop.copyText(s.browser, QStringLiteral("a quote"));
        c.arrange(s);
        s.desktop.pressHotKey();
        s.desktop.advance(140ms);
        if (c.meanwhile)
            c.meanwhile(s);
        s.provider->releaseAll();
        s.finishPaste();

        EXPECT_EQ(s.ownPastes(), 0);
        for (const ProcessIdentifier application : { s.editor, s.browser, s.notes })
            EXPECT_TRUE(s.desktop.focusedText(application).isEmpty());
        EXPECT_EQ(s.provider->callCount(op::commitTracePaste), 0);
        EXPECT_EQ(s.desktop.pasteboard().string(), c.clipboard);
        ASSERT_TRUE(s.state().feedback.failure);
        EXPECT_EQ(s.failureTitle(), QStringLiteral("带溯源粘贴未执行"));
        EXPECT_EQ(
            s.state().feedback.failure->message, SystemIntegrationError(c.error).localizedDescription());
        EXPECT_EQ(s.state().feedback.failure->recovery, AppRecoveryAction::retryTracePaste());
    }
}

// A copy followed at once by the hot key, before the copy capture's next
// look: the paste sees the copy, waits a bounded time for its source, and
// commits after it; the copy is not captured a second time afterwards.
TEST(ModelTracePasteTest, ACopyRightBeforeTheHotKeyIsCapturedBeforeThePasteCommits)
{
    for (const auto captureTakes : { 300ms, 5000ms }) {
        SCOPED_TRACE(captureTakes.count());
        DesktopScene s;
        s.desktop.switchTo(s.editor);
        s.provider->willReturn(op::captureApplicationSource, pendingSource(QStringLiteral("f")));
        s.provider->willReturn(op::commitTracePaste, recorded(QStringLiteral("Traced")));
        s.provider->hold(op::captureApplicationSource);
        s.desktop.copyText(s.editor, QStringLiteral("a quote"));
        s.desktop.pressHotKey();
        s.settle();
        EXPECT_EQ(s.provider->callCount(op::captureApplicationSource), 1);
        s.desktop.advance(captureTakes);
        // A capture that takes too long is given up on.
        EXPECT_EQ(s.provider->callCount(op::commitTracePaste), captureTakes > 1s ? 1 : 0);
        s.provider->releaseAll();
        s.finishPaste();

        EXPECT_EQ(s.provider->callCount(op::commitTracePaste), 1);
        s.pollPasteboard();
        EXPECT_EQ(s.provider->callCount(op::captureApplicationSource), 1);
    }
}

// The quote is in the editor already: the retry reloads and pastes nothing.
TEST(ModelTracePasteTest, ARetryAfterAFailedCommitDoesNotPasteAgain)
{
    DesktopScene s;
    s.desktop.copyText(s.browser, QStringLiteral("a quote"));
    s.desktop.switchTo(s.editor);
    s.provider->willFail(op::commitTracePaste, QStringLiteral("账本无法写入"));
    s.desktop.pressHotKey();
    s.finishPaste();

    ASSERT_TRUE(s.state().feedback.failure);
    const AppFailure failure = *s.state().feedback.failure;
    EXPECT_EQ(failure.title, QStringLiteral("粘贴动作已发送，但记录失败"));
    EXPECT_EQ(failure.message, QStringLiteral("账本无法写入"));
    EXPECT_EQ(failure.recovery, AppRecoveryAction::reloadData());
    const qsizetype reloads = s.provider->callCount(op::listRecords);
    s.model().recover(failure);
    EXPECT_EQ(s.provider->callCount(op::listRecords), reloads + 1);
    EXPECT_EQ(s.ownPastes(), 1);
    EXPECT_EQ(s.desktop.focusedText(s.editor), QStringLiteral("a quote"));
}

} // namespace
} // namespace tovra::app::testing
