#include "ModelTestSupport.h"
#include "app/model/UserDefaultsKeys.h"

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

const QString validID = QStringLiteral("abcdefghijklmnopabcdefghijklmnop");

TEST(ModelIntegrationTest, AnExtensionIDIsThirtyTwoLettersFromAToP)
{
    const std::pair<QString, bool> cases[] = {
        { validID, true },
        { validID.left(31), false },
        { validID + QLatin1Char('a'), false },
        { validID.left(31) + QLatin1Char('q'), false },
        { validID.left(31) + QLatin1Char('1'), false },
        { validID.toUpper(), false },
        { QStringLiteral("  ") + validID + QStringLiteral("\n"), true },
        { validID.left(16) + QLatin1Char(' ') + validID.mid(16, 15), false },
        { QString(), false },
    };
    for (const auto &[extensionID, valid] : cases) {
        SCOPED_TRACE(extensionID.toStdString());
        ModelHarness h;
        h.model().setNativeHostExtensionID(extensionID);
        EXPECT_EQ(h.model().nativeHostExtensionIDIsValid(), valid);
    }
}

TEST(ModelIntegrationTest, InstallsForTheTrimmedIDAndRemembersOnlyASuccess)
{
    const QString earlier = QString(32, QLatin1Char('p'));
    const struct {
        const char *name;
        std::optional<ScriptedManifestInstaller::Result> result;
        bool succeeded;
        QString message;
        QString stored;
    } cases[] = {
        { "stable location", std::nullopt, true,
            QStringLiteral("本地组件已安装。请在 Chrome 扩展页重载Tovra，再打开扩展弹窗确认“已连接”。"),
            validID },
        { "build folder",
            ChromeNativeHostInstallation { QUrl::fromLocalFile(QStringLiteral("/tmp/host.json")), validID,
                QUrl::fromLocalFile(QStringLiteral("/home/user/build/tovra")), false },
            true,
            QStringLiteral(
                "本地组件已安装，但当前 App 不在“应用程序”文件夹；移动 App 后请再次点击安装，避免路径失效。"),
            validID },
        { "refused", ChromeNativeHostInstallationError::invalidExtensionID(), false,
            ChromeNativeHostInstallationError::invalidExtensionID().localizedDescription(), earlier },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        h.settings->setValue(userDefaultsKeys::nativeHostExtensionID, earlier);
        if (c.result)
            h.installer->results.append(*c.result);
        h.model().setNativeHostExtensionID(QStringLiteral(" ") + validID + QStringLiteral("\n"));

        h.model().installChromeNativeHostManifest();
        const auto &state = h.model().state();
        EXPECT_EQ(h.installer->requestedIDs, QStringList { validID });
        EXPECT_EQ(state.nativeHostInstallationSucceeded, c.succeeded);
        EXPECT_EQ(state.nativeHostInstallationMessage, c.message);
        EXPECT_EQ(h.settings->value(userDefaultsKeys::nativeHostExtensionID).toString(), c.stored);
        EXPECT_EQ(state.feedback, AppFeedbackState {});
    }
}

} // namespace
} // namespace tovra::app::testing
