#include "app/views/FailureBanner.h"
#include "DrawnText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tovra::app::testing {
namespace {

// A long reason wraps onto as many lines as it needs: the user reads all of
// it, never a sentence cut by an ellipsis.
TEST(FailureBannerTest, ALongReasonWrapsWhole)
{
    const QString message = QStringLiteral(
        "无法打开本地加密账本：系统钥匙串不可用，无法取得账本的主密钥。请确认桌面的钥匙串服务已启动并已解锁，"
        "然后再试一次；在此之前，新的复制来源和粘贴记录都不会写入本地账本，已有的记录也暂时无法查看。");
    views::FailureBanner banner;
    banner.setFailure(AppFailure { QUuid::createUuid(), QStringLiteral("无法读取本地记录"), message,
        AppFeedbackScope::data, AppRecoveryAction::reloadData() });
    banner.resize(400, std::max(banner.heightForWidth(400), banner.sizeHint().height()));
    banner.show();

    QString drawn;
    for (const DrawnText &text : drawnContent(&banner).texts) {
        if (message.contains(text.text.trimmed()) || text.text.contains(QChar(0x2026)))
            drawn += text.text.trimmed();
    }
    EXPECT_EQ(drawn, message);
}

} // namespace
} // namespace tovra::app::testing
