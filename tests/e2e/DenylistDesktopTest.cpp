// What the denylist and the privacy rules keep out, as a user meets them on a
// desktop: copies in a denied application, and a password field as the
// target of the hot key.
#include "DesktopScenario.h"

#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/TovraLedger.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::testing;

namespace {

class DenylistDesktop : public DesktopScenario {
protected:
    // The user's own rule, stored before the app starts as the editor would.
    void denyApplication(const QString &applicationID) const
    {
        FixedTovraKeyProvider key(QByteArray::fromHex(
            app.environment().value(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX")).toLatin1()));
        TovraLedger::live(app.ledgerPath(), key)
            ->addDenylistEntry(DenylistKind::bundleID, applicationID, QDateTime::currentDateTimeUtc());
    }
};

// 1. The user denies the "vault" application and switches observation on.
// 2. Ctrl+C in the vault: the copy reaches neither the history nor the ledger,
//    while a copy in the editor right after it does reach the history.
// 3. Alt+Shift+V in the editor's password field: the app says the target is a
//    sensitive field, and no trace is recorded.
TEST_F(DenylistDesktop, CopiesInADeniedAppAreNotKeptAndAPasswordFieldGetsNoTracedPaste)
{
    app.setSetting(QStringLiteral("tovra.v02.observationEnabled"), true);
    denyApplication(QStringLiteral("vault"));
    ASSERT_NO_FATAL_FAILURE(startApp());
    ClientWindow vault(QStringLiteral("vault"));
    ClientWindow editor(QStringLiteral("editor"));
    ASSERT_TRUE(vault.start());
    ASSERT_TRUE(editor.start());

    ASSERT_TRUE(vault.focus("plain"));
    ASSERT_TRUE(desktop::waitForActiveWindow(QStringLiteral("Tovra test client")));
    ASSERT_TRUE(vault.selectText("plain", QStringLiteral("correct horse battery staple")));
    desktop::pressKeys(QStringLiteral("ctrl+c"));

    const QString draft = QStringLiteral("Draft: quarterly figures attached.");
    ASSERT_TRUE(editor.focus("plain"));
    ASSERT_TRUE(desktop::waitForActiveWindow(QStringLiteral("Tovra test client")));
    ASSERT_TRUE(editor.selectText("plain", draft));
    desktop::pressKeys(QStringLiteral("ctrl+c"));
    // Once the editor's copy is listed, it is the one and only item: the
    // vault's, made before it, never arrived.
    const AccessibleTree tree = appTree();
    EXPECT_FALSE(tree.waitForListItem({ QStringLiteral("来源 editor") }).isEmpty())
        << tree.listItemNames().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(tree.hasShowingName(QStringLiteral("复制历史 1")));
    EXPECT_EQ(tree.listItemNames().size(), 1);

    ASSERT_TRUE(editor.focus("password"));
    ASSERT_TRUE(desktop::waitForActiveWindow(QStringLiteral("Tovra test client")));
    desktop::pressKeys(QStringLiteral("alt+shift+v"));
    EXPECT_TRUE(appTree().waitForName(QStringLiteral(
        "提示：已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（目标是敏感或安全输入框）。目标 App 未回执实际写入。")));
    EXPECT_TRUE(recordIds().isEmpty());
    EXPECT_EQ(app.terminate(), 0);
}

} // namespace
