#include "platform/PasteboardArchive.h"
#include "platform/PasteboardContentExpectation.h"
#include "platform/PasteboardTextSnapshot.h"
#include "platform/PasteboardType.h"
#include "platform/TemporaryPasteboardImageReplacement.h"
#include "platform/TemporaryPasteboardTextReplacement.h"
#include "platform/simulated/SimulatedPasteboard.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

using namespace tovra;

namespace {

// What a rich-text editor puts on the pasteboard: two items, several types.
QList<PasteboardItem> richContents()
{
    return {
        PasteboardItem { {
            PasteboardRepresentation { PasteboardType::plainText, QByteArray("Hello") },
            PasteboardRepresentation { QStringLiteral("text/html"), QByteArray("<b>Hello</b>") },
        } },
        PasteboardItem { { PasteboardRepresentation { PasteboardType::png, QByteArray("\x89PNG-bytes") } } },
    };
}

} // namespace

TEST(PasteboardArchive, CapturesEveryItemAndRestoresThemAllOrReportsARefusedWrite)
{
    SimulatedPasteboard pasteboard;
    for (const QList<PasteboardItem> &contents : { richContents(), QList<PasteboardItem>() }) {
        pasteboard.setContents(contents);
        const PasteboardArchive archive = PasteboardArchive::capture(pasteboard);
        EXPECT_TRUE(archive.isComplete);
        EXPECT_EQ(archive.capturedChangeCount, pasteboard.changeCount());
        EXPECT_EQ(archive.items, contents);
        pasteboard.setText(QStringLiteral("something else"));
        EXPECT_TRUE(archive.restore(pasteboard));
        EXPECT_EQ(pasteboard.contents(), contents);
    }
    pasteboard.setContents(richContents());
    const PasteboardArchive archive = PasteboardArchive::capture(pasteboard);
    pasteboard.setWriteRefusal(SimulatedPasteboard::WriteRefusal::everything);
    EXPECT_FALSE(archive.restore(pasteboard));
}

TEST(PasteboardArchive, AnUndeliveredTypeOrAChangeWhileReadingMakesItIncomplete)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    pasteboard.setUndeliverable(QStringLiteral("text/html"));
    const PasteboardArchive promised = PasteboardArchive::capture(pasteboard);
    EXPECT_FALSE(promised.isComplete);
    EXPECT_FALSE(promised.items.first().representations.at(1).data.has_value());

    pasteboard.setUndeliverable(QStringLiteral("text/html"), false);
    bool changed = false;
    pasteboard.setReadHook([&](const QString &) {
        if (!std::exchange(changed, true))
            pasteboard.setText(QStringLiteral("copied meanwhile"));
    });
    EXPECT_FALSE(PasteboardArchive::capture(pasteboard).isComplete);
}

TEST(PasteboardTextSnapshot, MatchesOnlyTheSameCountAndText)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setText(QStringLiteral("quote"));
    const PasteboardTextSnapshot snapshot { pasteboard.changeCount(), QStringLiteral("quote") };
    EXPECT_TRUE(snapshot.matches(pasteboard));
    EXPECT_TRUE(PasteboardContentExpectation::text(snapshot).matches(pasteboard));
    EXPECT_FALSE(
        (PasteboardTextSnapshot { pasteboard.changeCount(), QStringLiteral("quote!") }).matches(pasteboard));

    // The same text copied again is a new change.
    pasteboard.setText(QStringLiteral("quote"));
    EXPECT_FALSE(snapshot.matches(pasteboard));
    EXPECT_FALSE(PasteboardContentExpectation::text(snapshot).matches(pasteboard));

    // Other text served at the same count does not match either.
    const PasteboardTextSnapshot again { pasteboard.changeCount(), QStringLiteral("quote") };
    pasteboard.changeContentsSilently({ PasteboardItem {
        { PasteboardRepresentation { PasteboardType::plainText, QByteArray("quote?") } } } });
    EXPECT_FALSE(again.matches(pasteboard));

    // No plain text at all never matches, not even an empty snapshot.
    pasteboard.setImage(QByteArray("png"), PasteboardType::png);
    EXPECT_FALSE((PasteboardTextSnapshot { pasteboard.changeCount(), QString() }).matches(pasteboard));
}

TEST(TemporaryPasteboardTextReplacement, InstallsTheTextAndRestoresTheOriginalWhileUnchanged)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    const auto replacement = TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), pasteboard);
    ASSERT_TRUE(replacement.has_value());
    EXPECT_EQ(pasteboard.string(), QStringLiteral("cited"));
    EXPECT_EQ(replacement->installedChangeCount, pasteboard.changeCount());
    EXPECT_EQ(replacement->original.items, richContents());

    EXPECT_TRUE(replacement->restoreIfUnchanged(pasteboard));
    EXPECT_EQ(pasteboard.contents(), richContents());
}

TEST(TemporaryPasteboardTextReplacement, LeavesAnyLaterChangeAlone)
{
    struct Change {
        const char *name;
        std::function<void(SimulatedPasteboard &)> apply;
        QString leftText;
    };
    const std::vector<Change> changes {
        { "another program's copy", [](auto &p) { p.setText(QStringLiteral("copied meanwhile")); },
            QStringLiteral("copied meanwhile") },
        { "the same text copied again", [](auto &p) { p.setText(QStringLiteral("cited")); },
            QStringLiteral("cited") },
        { "other text at the same count",
            [](auto &p) {
                p.changeContentsSilently({ PasteboardItem {
                    { PasteboardRepresentation { PasteboardType::plainText, QByteArray("edited") } } } });
            },
            QStringLiteral("edited") },
    };
    for (const Change &change : changes) {
        SCOPED_TRACE(change.name);
        SimulatedPasteboard pasteboard;
        pasteboard.setText(QStringLiteral("original"));
        const auto replacement
            = TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), pasteboard);
        ASSERT_TRUE(replacement.has_value());
        change.apply(pasteboard);
        const qint64 countAfterChange = pasteboard.changeCount();
        EXPECT_FALSE(replacement->restoreIfUnchanged(pasteboard));
        EXPECT_EQ(pasteboard.string(), change.leftText);
        EXPECT_EQ(pasteboard.changeCount(), countAfterChange);
    }

    SimulatedPasteboard refusing;
    refusing.setText(QStringLiteral("original"));
    const auto replacement = TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), refusing);
    ASSERT_TRUE(replacement.has_value());
    refusing.setWriteRefusal(SimulatedPasteboard::WriteRefusal::everything);
    EXPECT_FALSE(replacement->restoreIfUnchanged(refusing)) << "a refused write back is no restoration";
}

TEST(TemporaryPasteboardReplacement, RefusesWhenTheOriginalCannotBeKeptOrTheWriteIsRefused)
{
    const auto install = [](bool image, SimulatedPasteboard &pasteboard) {
        return image
            ? TemporaryPasteboardImageReplacement::install(
                SessionClipboardImage(QByteArray("jpeg-bytes"), PasteboardType::jpeg, 4, 3), pasteboard)
                  .has_value()
            : TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), pasteboard).has_value();
    };
    for (const bool image : { false, true }) {
        SCOPED_TRACE(image ? "image" : "text");
        SimulatedPasteboard pasteboard;
        pasteboard.setContents(richContents());
        pasteboard.setUndeliverable(PasteboardType::png);
        const qint64 before = pasteboard.changeCount();
        EXPECT_FALSE(install(image, pasteboard));
        EXPECT_EQ(pasteboard.changeCount(), before);

        pasteboard.setUndeliverable(PasteboardType::png, false);
        pasteboard.setWriteRefusal(SimulatedPasteboard::WriteRefusal::textAndImages);
        EXPECT_FALSE(install(image, pasteboard));
        EXPECT_EQ(pasteboard.contents(), richContents()) << "the original is put back";
    }
}

TEST(TemporaryPasteboardImageReplacement, InstallsTheImageAndDescribesItForTheExpectation)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    const auto replacement = TemporaryPasteboardImageReplacement::install(
        SessionClipboardImage(QByteArray("jpeg-bytes"), PasteboardType::jpeg, 4, 3), pasteboard);
    ASSERT_TRUE(replacement.has_value());
    EXPECT_EQ(pasteboard.data(PasteboardType::jpeg), QByteArray("jpeg-bytes"));
    EXPECT_FALSE(pasteboard.string().has_value());
    EXPECT_EQ(replacement->installedChangeCount, pasteboard.changeCount());
    EXPECT_EQ(replacement->original.items, richContents());

    const PasteboardImageSnapshot installed = replacement->installedSnapshot();
    EXPECT_EQ(installed.changeCount, replacement->installedChangeCount);
    EXPECT_TRUE(PasteboardContentExpectation::image(installed).matches(pasteboard));
    pasteboard.setImage(QByteArray("jpeg-bytes"), PasteboardType::jpeg);
    EXPECT_FALSE(PasteboardContentExpectation::image(installed).matches(pasteboard));
}
