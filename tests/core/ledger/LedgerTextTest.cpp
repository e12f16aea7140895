#include "core/ledger/LedgerText.h"
#include "core/ledger/TovraLedgerError.h"

#include <gtest/gtest.h>

using tovra::LedgerText;
using tovra::TovraLedgerError;

TEST(LedgerTextTest, TextIsTrimmedAndCutAtACharacterBoundaryWithNothingLeftAsNone)
{
    const std::tuple<std::optional<QString>, int, std::optional<QString>> cases[] = {
        { QStringLiteral("  title  "), 100, QStringLiteral("title") },
        { QStringLiteral("abcdef"), 4, QStringLiteral("abcd") },
        // "文" is three bytes: never a partial character.
        { QStringLiteral("文文文"), 5, QStringLiteral("文") },
        { QStringLiteral("文"), 2, std::nullopt },
        // Four bytes and two UTF-16 units: kept whole or dropped whole.
        { QStringLiteral("a\U0001F600b"), 4, QStringLiteral("a") },
        { QStringLiteral("a\U0001F600b"), 5, QStringLiteral("a\U0001F600") },
        // What is left after the cut is trimmed too.
        { QStringLiteral("ab cd"), 3, QStringLiteral("ab") },
        { QStringLiteral("   "), 10, std::nullopt },
        { std::nullopt, 10, std::nullopt },
    };
    for (const auto &[text, bytes, expected] : cases)
        EXPECT_EQ(LedgerText::bounded(text, bytes), expected)
            << text.value_or(QString()).toStdString() << bytes;
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
    EXPECT_TRUE(failure.localizedDescription().contains(QStringLiteral("errno %1").arg(ENOSPC)));
}
