#include "core/exports/CsvText.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(CsvTextTest, PlainCellsStayAsTheyAre)
{
    EXPECT_EQ(csv::cell(QString()), QString());
    EXPECT_EQ(csv::cell(QStringLiteral("Obsidian")), QStringLiteral("Obsidian"));
    EXPECT_EQ(csv::cell(QStringLiteral("a=b+c-d@e")), QStringLiteral("a=b+c-d@e"));
    EXPECT_EQ(csv::cell(QStringLiteral("网页 标题")), QStringLiteral("网页 标题"));
}

TEST(CsvTextTest, CommasQuotesAndLineBreaksAreQuoted)
{
    EXPECT_EQ(csv::cell(QStringLiteral("a,b")), QStringLiteral("\"a,b\""));
    EXPECT_EQ(csv::cell(QStringLiteral("say \"hi\"")), QStringLiteral("\"say \"\"hi\"\"\""));
    EXPECT_EQ(csv::cell(QStringLiteral("\"")), QStringLiteral("\"\"\"\""));
    EXPECT_EQ(csv::cell(QStringLiteral("one\ntwo")), QStringLiteral("\"one\ntwo\""));
    EXPECT_EQ(csv::cell(QStringLiteral("one\r\ntwo")), QStringLiteral("\"one\r\ntwo\""));
}

TEST(CsvTextTest, FormulaLikeCellsGetAnApostrophe)
{
    EXPECT_EQ(csv::cell(QStringLiteral("=SUM(A1:A2)")), QStringLiteral("'=SUM(A1:A2)"));
    EXPECT_EQ(csv::cell(QStringLiteral("+1")), QStringLiteral("'+1"));
    EXPECT_EQ(csv::cell(QStringLiteral("-2")), QStringLiteral("'-2"));
    EXPECT_EQ(csv::cell(QStringLiteral("@cmd")), QStringLiteral("'@cmd"));
    EXPECT_EQ(csv::cell(QStringLiteral("\tx")), QStringLiteral("'\tx"));
    // Neutralised first, then quoted: the apostrophe sits inside the quotes.
    EXPECT_EQ(csv::cell(QStringLiteral("\rx")), QStringLiteral("\"'\rx\""));
    EXPECT_EQ(csv::cell(QStringLiteral("=HYPERLINK(\"http://x\",\"y\")")),
        QStringLiteral("\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""));
    EXPECT_EQ(csv::neutralizeFormula(QStringLiteral(" =1")), QStringLiteral(" =1"));
}

TEST(CsvTextTest, RowJoinsCellsWithCommasAndEndsWithCrLf)
{
    EXPECT_EQ(csv::row({ QStringLiteral("a"), QString(), QStringLiteral("b,c"), QStringLiteral("=d") }),
        QStringLiteral("a,,\"b,c\",'=d\r\n"));
    EXPECT_EQ(csv::row({}), QStringLiteral("\r\n"));
}

} // namespace
} // namespace tovra
