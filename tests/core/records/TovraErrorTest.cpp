#include "core/records/TovraError.h"

#include <gtest/gtest.h>

#include <cstring>

using tovra::TovraError;

TEST(TovraError, DescriptionReachesWhatAsUtf8)
{
    const TovraError error(QStringLiteral("无法打开加密账本"));
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("无法打开加密账本"));
    EXPECT_STREQ(error.what(), "无法打开加密账本");
}
