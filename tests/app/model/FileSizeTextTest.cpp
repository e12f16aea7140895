#include "app/model/FileSizeText.h"

#include <gtest/gtest.h>

namespace tovra::app {
namespace {

TEST(FileSizeTextTest, DecimalUnitsWithTheirOwnPrecisionAndNoTrailingZero)
{
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
    const struct {
        qint64 bytes;
        const char *text;
    } cases[] = {
        { 999, "999 bytes" },
        { 1'000, "1 KB" },
        { 12'600, "13 KB" },
        { 999'499, "999 KB" },
        { 999'500, "1 MB" },
        { 1'234'567, "1.2 MB" },
        { 20'971'521, "21 MB" },
        { 999'960'000, "1 GB" },
        { 2'000'000'000, "2 GB" },
        { 2'050'000'000, "2.05 GB" },
        { 2'500'000'000, "2.5 GB" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(fileSizeText(c.bytes), QString::fromUtf8(c.text)) << c.bytes;
    EXPECT_EQ(fileSizeText(20'971'521, chinese), QStringLiteral("21 MB"));
    EXPECT_EQ(fileSizeText(1'234'567, chinese), QStringLiteral("1.2 MB"));
}

} // namespace
} // namespace tovra::app
