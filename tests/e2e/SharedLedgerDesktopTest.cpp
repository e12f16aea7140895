// The browser host and the app write the same ledger at the same time: the
// host stores captures while the app commits traced pastes.
#include "BrowserExtension.h"
#include "DesktopScenario.h"

#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace tovra::testing;

namespace {

class SharedLedgerDesktop : public DesktopScenario { };

TEST_F(SharedLedgerDesktop, HostStoringCapturesWhileTheAppCommitsPastesLosesNoSourceAndNoTrace)
{
    constexpr int rounds = 5;
    ASSERT_NO_FATAL_FAILURE(startApp());
    ClientWindow browser(QStringLiteral("webbrowser"));
    ClientWindow notes(QStringLiteral("notes"));
    ASSERT_TRUE(browser.start());
    ASSERT_TRUE(notes.start());
    BrowserExtension tab(app.hostEnvironment());

    int stored = 0;
    for (int round = 0; round < rounds; ++round) {
        // 1. A copy on a page, captured by the extension.
        const QString text = QStringLiteral("Shared ledger round %1.").arg(round);
        ASSERT_TRUE(browser.copyText(text));
        ASSERT_EQ(tab.capture(QStringLiteral("https://news.example.org/round-%1").arg(round),
                         QStringLiteral("Round %1").arg(round), text)
                      .value(QStringLiteral("status")),
            QStringLiteral("stored"));
        ++stored;

        // 2. While Alt+Shift+V commits its trace, another tab's host keeps
        //    storing captures of the same text.
        std::atomic<bool> pasted = false;
        int storedAlongside = 0;
        QThread *writer = QThread::create([&] {
            BrowserExtension otherTab(app.hostEnvironment());
            while (!pasted) {
                if (otherTab.capture(QStringLiteral("https://blog.example.net/round-%1").arg(round),
                                QStringLiteral("Alongside %1").arg(round), text)
                        .value(QStringLiteral("status"))
                    == QStringLiteral("stored"))
                    ++storedAlongside;
            }
        });
        writer->start();
        ASSERT_TRUE(notes.clearField("plain"));
        const bool arrived = tracedPaste(notes, text);
        // The ledger commit follows the keys; the writer goes on a moment so
        // that it overlaps the commit.
        QThread::msleep(300);
        pasted = true;
        writer->wait();
        delete writer;
        ASSERT_TRUE(arrived) << "round " << round;
        stored += storedAlongside;
    }

    // 3. Every source the hosts stored is still there, and every paste left
    //    its trace.
    EXPECT_EQ(tab.status().value(QStringLiteral("pendingSourceCount")).toInt(), stored);
    QList<QUuid> ids;
    const QDeadlineTimer deadline(std::chrono::seconds(10));
    while (ids.size() < rounds && !deadline.hasExpired())
        ids = recordIds();
    EXPECT_EQ(ids.size(), rounds);
    EXPECT_EQ(app.terminate(), 0);
}

} // namespace
