#include "platform/PasteboardArchive.h"
#include "platform/PasteboardContentExpectation.h"
#include "platform/PasteboardTextSnapshot.h"
#include "platform/PasteboardType.h"
#include "platform/TemporaryPasteboardImageReplacement.h"
#include "platform/TemporaryPasteboardTextReplacement.h"
#include "platform/simulated/SimulatedPasteboard.h"

#include <gtest/gtest.h>

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

SessionClipboardImage sampleImage()
{
    return SessionClipboardImage(QByteArray("jpeg-bytes"), PasteboardType::jpeg, 4, 3);
}

} // namespace

TEST(PasteboardArchive, CapturesEveryItemAndRestoresThemAll)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    const PasteboardArchive archive = PasteboardArchive::capture(pasteboard);
    EXPECT_TRUE(archive.isComplete);
    EXPECT_EQ(archive.capturedChangeCount, pasteboard.changeCount());
    EXPECT_EQ(archive.items, richContents());

    pasteboard.setText(QStringLiteral("something else"));
    EXPECT_TRUE(archive.restore(pasteboard));
    EXPECT_EQ(pasteboard.contents(), richContents());
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
        if (!changed) {
            changed = true;
            pasteboard.setText(QStringLiteral("copied meanwhile"));
        }
    });
    EXPECT_FALSE(PasteboardArchive::capture(pasteboard).isComplete);
}

TEST(PasteboardArchive, AnEmptyPasteboardIsCompleteAndRestoresToEmpty)
{
    SimulatedPasteboard pasteboard;
    const PasteboardArchive archive = PasteboardArchive::capture(pasteboard);
    EXPECT_TRUE(archive.isComplete);
    pasteboard.setText(QStringLiteral("x"));
    EXPECT_TRUE(archive.restore(pasteboard));
    EXPECT_TRUE(pasteboard.contents().isEmpty());
}

TEST(PasteboardArchive, RestoreReportsARefusedWrite)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    const PasteboardArchive archive = PasteboardArchive::capture(pasteboard);
    pasteboard.setWriteRefusal(SimulatedPasteboard::WriteRefusal::everything);
    EXPECT_FALSE(archive.restore(pasteboard));
}

TEST(PasteboardTextSnapshot, MatchesOnlyTheSameCountAndText)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setText(QStringLiteral("quote"));
    const PasteboardTextSnapshot snapshot { pasteboard.changeCount(), QStringLiteral("quote") };
    EXPECT_TRUE(snapshot.matches(pasteboard));
    EXPECT_FALSE(
        (PasteboardTextSnapshot { pasteboard.changeCount(), QStringLiteral("quote!") }).matches(pasteboard));

    // The same text copied again is a new change.
    pasteboard.setText(QStringLiteral("quote"));
    EXPECT_FALSE(snapshot.matches(pasteboard));

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
    EXPECT_EQ(replacement->text, QStringLiteral("cited"));
    EXPECT_EQ(replacement->original.items, richContents());

    EXPECT_TRUE(replacement->restoreIfUnchanged(pasteboard));
    EXPECT_EQ(pasteboard.contents(), richContents());
}

TEST(TemporaryPasteboardTextReplacement, LeavesAnotherProgramsCopyAlone)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setText(QStringLiteral("original"));
    const auto replacement = TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), pasteboard);
    ASSERT_TRUE(replacement.has_value());

    pasteboard.setText(QStringLiteral("copied meanwhile"));
    const qint64 countAfterCopy = pasteboard.changeCount();
    EXPECT_FALSE(replacement->restoreIfUnchanged(pasteboard));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("copied meanwhile"));
    EXPECT_EQ(pasteboard.changeCount(), countAfterCopy);

    // The same text copied again by someone else is still not ours to undo.
    pasteboard.setText(QStringLiteral("cited"));
    EXPECT_FALSE(replacement->restoreIfUnchanged(pasteboard));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("cited"));
}

TEST(TemporaryPasteboardTextReplacement, AnUnannouncedChangeOfTextIsNotRestoredOver)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setText(QStringLiteral("original"));
    const auto replacement = TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), pasteboard);
    ASSERT_TRUE(replacement.has_value());
    pasteboard.changeContentsSilently({ PasteboardItem {
        { PasteboardRepresentation { PasteboardType::plainText, QByteArray("edited") } } } });
    ASSERT_EQ(pasteboard.changeCount(), replacement->installedChangeCount);
    EXPECT_FALSE(replacement->restoreIfUnchanged(pasteboard));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("edited"));
}

TEST(TemporaryPasteboardTextReplacement, RefusesWhenTheOriginalCannotBeKept)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    pasteboard.setUndeliverable(PasteboardType::png);
    const qint64 before = pasteboard.changeCount();
    EXPECT_FALSE(
        TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), pasteboard).has_value());
    EXPECT_EQ(pasteboard.changeCount(), before);
    EXPECT_EQ(pasteboard.string(), QStringLiteral("Hello"));
}

TEST(TemporaryPasteboardTextReplacement, PutsTheOriginalBackWhenTheWriteIsRefused)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    pasteboard.setWriteRefusal(SimulatedPasteboard::WriteRefusal::textAndImages);
    EXPECT_FALSE(
        TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), pasteboard).has_value());
    EXPECT_EQ(pasteboard.contents(), richContents());
}

TEST(TemporaryPasteboardTextReplacement, RestoreFailsWhenTheSystemRefusesTheWriteBack)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setText(QStringLiteral("original"));
    const auto replacement = TemporaryPasteboardTextReplacement::install(QStringLiteral("cited"), pasteboard);
    ASSERT_TRUE(replacement.has_value());
    pasteboard.setWriteRefusal(SimulatedPasteboard::WriteRefusal::everything);
    EXPECT_FALSE(replacement->restoreIfUnchanged(pasteboard));
}

TEST(TemporaryPasteboardImageReplacement, InstallsTheImageAndDescribesItForTheExpectation)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    const auto replacement = TemporaryPasteboardImageReplacement::install(sampleImage(), pasteboard);
    ASSERT_TRUE(replacement.has_value());
    EXPECT_EQ(pasteboard.data(PasteboardType::jpeg), QByteArray("jpeg-bytes"));
    EXPECT_FALSE(pasteboard.string().has_value());
    EXPECT_EQ(replacement->installedChangeCount, pasteboard.changeCount());
    EXPECT_EQ(replacement->original.items, richContents());

    const PasteboardImageSnapshot installed = replacement->installedSnapshot();
    EXPECT_EQ(installed.changeCount, replacement->installedChangeCount);
    EXPECT_TRUE(installed.matches(pasteboard));
    EXPECT_TRUE(PasteboardContentExpectation::image(installed).matches(pasteboard));

    pasteboard.setImage(QByteArray("jpeg-bytes"), PasteboardType::jpeg);
    EXPECT_FALSE(installed.matches(pasteboard));
    EXPECT_TRUE(replacement->original.restore(pasteboard));
    EXPECT_EQ(pasteboard.contents(), richContents());
}

TEST(TemporaryPasteboardImageReplacement, RefusesIncompleteArchivesAndRefusedWrites)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(richContents());
    pasteboard.setUndeliverable(QStringLiteral("text/html"));
    EXPECT_FALSE(TemporaryPasteboardImageReplacement::install(sampleImage(), pasteboard).has_value());

    pasteboard.setUndeliverable(QStringLiteral("text/html"), false);
    pasteboard.setWriteRefusal(SimulatedPasteboard::WriteRefusal::textAndImages);
    EXPECT_FALSE(TemporaryPasteboardImageReplacement::install(sampleImage(), pasteboard).has_value());
    EXPECT_EQ(pasteboard.contents(), richContents());
}

TEST(PasteboardContentExpectation, DelegatesToItsTextSnapshot)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setText(QStringLiteral("quote"));
    const auto expectation = PasteboardContentExpectation::text(
        PasteboardTextSnapshot { pasteboard.changeCount(), QStringLiteral("quote") });
    EXPECT_TRUE(expectation.matches(pasteboard));
    pasteboard.setText(QStringLiteral("other"));
    EXPECT_FALSE(expectation.matches(pasteboard));
}
