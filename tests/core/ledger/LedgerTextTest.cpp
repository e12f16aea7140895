#include "core/ledger/LedgerText.h"
#include "core/ledger/TovraLedgerError.h"

#include <gtest/gtest.h>

using tovra::LedgerText;
using tovra::TovraLedgerError;

TEST(LedgerTextTest, TextIsTrimmedAndCutAtACharacterBoundary)
{
    EXPECT_EQ(LedgerText::bounded(QStringLiteral("  title  "), 100), QStringLiteral("title"));
    EXPECT_EQ(LedgerText::bounded(QStringLiteral("abcdef"), 4), QStringLiteral("abcd"));
    // "文" is three bytes: five bytes hold one character, never a partial one.
    EXPECT_EQ(LedgerText::bounded(QStringLiteral("文文文"), 5), QStringLiteral("文"));
    // An emoji outside the basic plane is four bytes and two UTF-16 units: kept whole or dropped whole.
    const QString emoji = QStringLiteral("a\U0001F600b");
    EXPECT_EQ(LedgerText::bounded(emoji, 4), QStringLiteral("a"));
    EXPECT_EQ(LedgerText::bounded(emoji, 5), QStringLiteral("a\U0001F600"));
    // What is left after the cut is trimmed too.
    EXPECT_EQ(LedgerText::bounded(QStringLiteral("ab cd"), 3), QStringLiteral("ab"));
}

TEST(LedgerTextTest, NothingLeftIsNone)
{
    EXPECT_EQ(LedgerText::bounded(std::nullopt, 10), std::nullopt);
    EXPECT_EQ(LedgerText::bounded(QStringLiteral("   "), 10), std::nullopt);
    EXPECT_EQ(LedgerText::bounded(QStringLiteral("文"), 2), std::nullopt);
}

TEST(LedgerErrorTest, DescriptionsAreSingleSentencesThatKeepTheFileNamed)
{
    const TovraLedgerError corrupted = TovraLedgerError::corrupted(
        QStringLiteral("/x/ledger.json.enc"), QStringLiteral("The data is truncated."));
    EXPECT_EQ(corrupted.localizedDescription(),
        QStringLiteral("The ledger /x/ledger.json.enc is damaged: The data is truncated. The file was left "
                       "unchanged."));
    const TovraLedgerError failure = TovraLedgerError::fileSystemFailure(
        QStringLiteral("replace"), QStringLiteral("/x/ledger.json.enc"), ENOSPC);
    EXPECT_EQ(failure.errorNumber(), ENOSPC);
    EXPECT_TRUE(failure.localizedDescription().contains(QStringLiteral("errno %1").arg(ENOSPC)));
}
