#include "platform/PasteboardChangeObserver.h"
#include "platform/simulated/SimulatedDesktop.h"

#include <QTimer>

#include <gtest/gtest.h>

using namespace tovra;
using namespace std::chrono_literals;

namespace {

class PasteboardChangeObserverTest : public ::testing::Test {
protected:
    void start()
    {
        observer.start([this](const PasteboardChangeEvent &event) { events.append(event); });
    }

    SimulatedDesktop desktop;
    PasteboardChangeObserver observer { desktop.pasteboard(), desktop.workspace(), desktop.clock() };
    QList<PasteboardChangeEvent> events;
};

} // namespace

TEST_F(PasteboardChangeObserverTest, ReportsEachChangeAfterTheStartWithTheFrontmostApplicationAndTime)
{
    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
    desktop.pasteboard().setText(QStringLiteral("old"));
    PasteboardChangeObserver fresh(desktop.pasteboard(), desktop.workspace(), desktop.clock());
    EXPECT_FALSE(fresh.isRunning());
    EXPECT_EQ(fresh.lastChangeCount(), desktop.pasteboard().changeCount());
    start();
    ASSERT_TRUE(observer.isRunning());
    observer.poll();
    EXPECT_TRUE(events.isEmpty()) << "a change from before the start is not reported";

    desktop.advance(3s);
    desktop.copyText(editor, QStringLiteral("new"));
    observer.poll();
    observer.poll();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].changeCount, desktop.pasteboard().changeCount());
    EXPECT_EQ(events[0].sourceProcessIdentifier, editor);
    EXPECT_EQ(events[0].occurredAt, SimulatedClock::defaultStart().addSecs(3));

    // Two copies between polls are seen as one change, with the latest count.
    desktop.pasteboard().setText(QStringLiteral("a"));
    desktop.pasteboard().setText(QStringLiteral("b"));
    desktop.workspace().terminate(editor);
    observer.poll();
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[1].changeCount, desktop.pasteboard().changeCount());
    EXPECT_FALSE(events[1].sourceProcessIdentifier.has_value());

    // An own write announced through the last count is not reported.
    desktop.pasteboard().writeText(QStringLiteral("our own"));
    observer.setLastChangeCount(desktop.pasteboard().changeCount());
    observer.poll();
    EXPECT_EQ(events.size(), 2);
}

TEST_F(PasteboardChangeObserverTest, ASecondStartKeepsTheFirstHandlerAndStopEndsReports)
{
    start();
    int secondHandlerCalls = 0;
    observer.start([&](const PasteboardChangeEvent &) { ++secondHandlerCalls; });
    desktop.pasteboard().setText(QStringLiteral("x"));
    observer.poll();
    EXPECT_EQ(events.size(), 1);
    EXPECT_EQ(secondHandlerCalls, 0);

    desktop.pasteboard().setText(QStringLiteral("while running"));
    observer.stop();
    EXPECT_FALSE(observer.isRunning());
    EXPECT_EQ(observer.lastChangeCount(), desktop.pasteboard().changeCount());
    observer.poll();
    EXPECT_EQ(events.size(), 1);

    // A change made while stopped is not reported after a restart either.
    desktop.pasteboard().setText(QStringLiteral("while stopped"));
    start();
    observer.poll();
    EXPECT_EQ(events.size(), 1);
    observer.stop();
    observer.stop();
    EXPECT_FALSE(observer.isRunning());
}

TEST_F(PasteboardChangeObserverTest, TheHandlerMayStopTheObserver)
{
    observer.start([this](const PasteboardChangeEvent &event) {
        events.append(event);
        observer.stop();
    });
    desktop.pasteboard().setText(QStringLiteral("x"));
    observer.poll();
    EXPECT_EQ(events.size(), 1);
    EXPECT_FALSE(observer.isRunning());
}

TEST_F(PasteboardChangeObserverTest, PollsFromARepeatingTenthOfASecondTimerWhileRunning)
{
    EXPECT_EQ(observer.findChild<QTimer *>(), nullptr);
    start();
    const auto *timer = observer.findChild<QTimer *>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(timer->isSingleShot());
    EXPECT_EQ(timer->intervalAsDuration(), 100ms);
}
