#include "DesktopScene.h"
#include "app/resolver/ResolverServerStatus.h"

namespace tovra::app::testing {
namespace {

// The user pastes with Ctrl+V into Obsidian. A text paste is the connected
// plug-in's to record; everything else is recorded here, at application
// level: which application took the paste, not which field. A cut is no paste.
TEST(ModelKeyCommandTest, AStandardPasteIntoObsidianIsLeftToTheConnectedPlugInForTextOnly)
{
    using enum ClipboardCommandKind;
    const QByteArray picture = pngImage(16, 16);
    const struct {
        const char *name;
        ResolverServerStatus resolver;
        bool image;
        std::optional<DataOperation<PasteCommit>> observed;
        ClipboardCommandKind keys = paste;
    } cases[] = {
        { "text, plug-in connected", ResolverServerStatus::connected, false, std::nullopt },
        { "text, plug-in listening", ResolverServerStatus::listening, false, op::observeStandardPaste },
        { "picture, plug-in connected", ResolverServerStatus::connected, true,
            op::observeStandardImagePaste },
        { "Ctrl+X, plug-in listening", ResolverServerStatus::listening, false, std::nullopt, cut },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopScene s;
        s.model().updateObsidianResolverStatus(c.resolver);
        if (c.image)
            s.desktop.copyImage(s.browser, picture, PasteboardType::png);
        else
            s.desktop.copyText(s.browser, QStringLiteral("a quote"));
        if (c.observed)
            s.provider->willReturn(*c.observed, recorded(QStringLiteral("Observed")));
        s.desktop.advance(1s);
        s.desktop.switchTo(s.notes);
        s.desktop.keyboard().pressClipboardShortcut(c.keys);
        s.settle();

        EXPECT_EQ(s.provider->callCount(op::observeStandardPaste)
                + s.provider->callCount(op::observeStandardImagePaste),
            c.observed ? 1 : 0);
        EXPECT_EQ(
            s.state().records.value(0).source.title, c.observed ? QStringLiteral("Observed") : QString());
        // A cut waits for the pasteboard change it makes, as a copy does.
        const auto &pendingCopy = s.model().pendingKeyboardCopy();
        EXPECT_EQ(pendingCopy && pendingCopy->processIdentifier == s.notes, c.keys == cut);
        if (!c.observed)
            continue;
        const auto call = s.provider->calls(*c.observed).at(0);
        const auto destination = call.argument<DestinationSnapshot>(0);
        EXPECT_EQ(destination.bundleIdentifier, QStringLiteral("md.obsidian.Obsidian"));
        EXPECT_EQ(destination.windowTitle, std::nullopt);
        EXPECT_EQ(destination.accessibilityRole, std::nullopt);
        EXPECT_EQ(destination.fieldLabel, std::nullopt);
        EXPECT_EQ(destination.pastedAt, s.desktop.clock().now());
        if (c.image) {
            EXPECT_EQ(call.argument<std::optional<QByteArray>>(1), picture);
        } else {
            EXPECT_EQ(call.argument<std::optional<QString>>(1), QStringLiteral("a quote"));
        }
    }
}

} // namespace
} // namespace tovra::app::testing
