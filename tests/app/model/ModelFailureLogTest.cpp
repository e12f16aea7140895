// What the model writes on stderr: one line per failure it shows, in the
// category of the failure, with nothing of what the user copied.
#include "DesktopScene.h"
#include "app/LogCapture.h"

#include <QStringList>

namespace tovra::app::testing {
namespace {

TEST(ModelFailureLogTest, AFailedPasteRecordIsOneLineUnderTovraPasteWithoutTheCopiedText)
{
    const LogCapture log;
    DesktopScene s;
    const QString quote = QStringLiteral("quote from https://bank.example/statement?token=4242");
    s.desktop.copyText(s.browser, quote);
    s.desktop.switchTo(s.editor);
    s.provider->willFail(op::commitTracePaste, QStringLiteral("账本无法写入"));
    s.desktop.pressHotKey();
    s.finishPaste();
    ASSERT_TRUE(s.state().feedback.failure);

    const QStringList lines = log.linesOf("tovra.paste");
    ASSERT_EQ(lines.size(), 1) << LogCapture::lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.first().contains(s.state().feedback.failure->title));
    EXPECT_TRUE(lines.first().contains(QStringLiteral("账本无法写入")));
    for (const QString &line : LogCapture::lines()) {
        EXPECT_FALSE(line.contains(QStringLiteral("token=4242"))) << line.toStdString();
        EXPECT_FALSE(line.contains(QStringLiteral("quote from"))) << line.toStdString();
    }
}

TEST(ModelFailureLogTest, ALedgerThatCannotBeReadIsOneLineUnderTovraLedger)
{
    DesktopScene s;
    const LogCapture log;
    s.provider->willFail(op::listRecords, QStringLiteral("The ledger could not open the lock file"));
    s.finish(s.model().reload());
    ASSERT_TRUE(s.state().feedback.failure);
    const QStringList lines = log.linesOf("tovra.ledger");
    ASSERT_EQ(lines.size(), 1) << LogCapture::lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.first().contains(QStringLiteral("could not open the lock file")));
}

// The app is quitting: nothing new is taken, and what it cut short is
// neither shown nor logged as a failure.
TEST(ModelStopTest, AStoppedModelTakesNoCopyAndNoHotKeyAndShowsNoFailure)
{
    DesktopScene s;
    const LogCapture log;
    s.model().stop();
    EXPECT_TRUE(s.model().isStopping());
    EXPECT_FALSE(s.model().isFollowingPasteboard());

    s.desktop.copyText(s.browser, QStringLiteral("copied while quitting"));
    s.pollPasteboard();
    EXPECT_EQ(s.provider->callCount(op::captureApplicationSource), 0);
    s.desktop.switchTo(s.editor);
    s.desktop.pressHotKey();
    s.settle();
    EXPECT_EQ(s.ownPastes(), 0);

    s.provider->willFail(op::listRecords, QStringLiteral("the store stopped"));
    s.finish(s.model().reload());
    EXPECT_FALSE(s.state().feedback.failure);
    EXPECT_TRUE(LogCapture::lines().isEmpty()) << LogCapture::lines().join(QLatin1Char('\n')).toStdString();
}

} // namespace
} // namespace tovra::app::testing
