// Quitting while copies are being recorded: SIGTERM, as a logout or the
// session manager sends it, lands while the app's ledger thread still works
// through the copies just made.
#include "AccessibleTree.h"
#include "AppUnderTest.h"
#include "ClientWindow.h"

#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/TovraLedger.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace tovra;
using namespace tovra::testing;

namespace {

// CI runs the loop for this long; TOVRA_SHUTDOWN_RUNS asks for an exact
// number of runs instead (the 1,000-run figure is measured that way).
constexpr std::chrono::seconds loopBudget { 30 };
constexpr int copiesPerRun = 8;
constexpr int followAttempts = 15;
constexpr int runsThatShowTheRace = 10;
constexpr quint32 maximumSpacingMilliseconds = 150;
constexpr unsigned long pollMilliseconds = 100;

qint64 pendingSourceCount(const AppUnderTest &app)
{
    FixedTovraKeyProvider key(
        QByteArray::fromHex(app.environment().value(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX")).toLatin1()));
    return TovraLedger::live(app.ledgerPath(), key)
        ->status(QDateTime::currentDateTimeUtc())
        .pendingSourceCount;
}

// The app follows the pasteboard once its history takes a copy made in the
// editor in front. Its window may take the focus from the editor once more
// as it comes up, and it ignores what was copied before it looked: the first
// copy is made again until the history has it.
bool waitUntilFollowing(const AppUnderTest &app, ClientWindow &editor, const QString &label)
{
    const AccessibleTree tree(app.processId());
    if (!tree.waitForName(QStringLiteral("主内容切换")))
        return false;
    for (int attempt = 0; attempt < followAttempts; ++attempt) {
        if (!editor.focus("plain") || !desktop::waitForActiveWindow(QStringLiteral("Tovra test client"))
            || !editor.copyText(QStringLiteral("%1 begins, attempt %2").arg(label).arg(attempt)))
            return false;
        if (tree.waitForName(QStringLiteral("复制历史 1"), std::chrono::seconds(1)))
            return true;
    }
    return false;
}

TEST(ShutdownDesktop, SigtermWhileCopiesAreBeingRecordedEndsWithStatusZeroAndAReadableLedgerEveryTime)
{
    const desktop::WindowManager windowManager;
    ClientWindow editor(QStringLiteral("editor"));
    ASSERT_TRUE(editor.start());

    const int requestedRuns = qEnvironmentVariableIntValue("TOVRA_SHUTDOWN_RUNS");
    const QDeadlineTimer budget(loopBudget);
    int runs = 0;
    qint64 recordedCopies = 0;
    while (requestedRuns > 0 ? runs < requestedRuns : (runs == 0 || !budget.hasExpired())) {
        AppUnderTest app;
        app.setSetting(QStringLiteral("tovra.v02.observationEnabled"), true);
        app.start();
        ASSERT_TRUE(app.isRunning()) << "run " << runs << ": " << app.standardError().constData();
        ASSERT_TRUE(waitUntilFollowing(app, editor, QStringLiteral("run %1").arg(runs)))
            << "run " << runs << ": the app never took a copy\n"
            << app.standardError().constData();
        // The app looks at the pasteboard every 100 ms: copies a little
        // apart each become a ledger job, and the SIGTERM lands at a varying
        // point among them (a fixed seed per run, so a failing run repeats).
        QRandomGenerator spacing { quint32(runs) };
        for (int copy = 0; copy < copiesPerRun; ++copy) {
            ASSERT_TRUE(editor.copyText(QStringLiteral("run %1, copy %2").arg(runs).arg(copy)));
            QThread::msleep(spacing.bounded(maximumSpacingMilliseconds));
        }

        const int status = app.terminate();
        ASSERT_EQ(status, 0) << "run " << runs << " of the loop ended badly:\n"
                             << app.standardError().constData();
        // Whatever was recorded before the end is intact.
        ASSERT_NO_THROW(recordedCopies += pendingSourceCount(app)) << "run " << runs;
        ++runs;
    }
    // Each run recorded its first copy, and the end raced the recording of
    // the others: over enough runs, some were recorded before it.
    if (runs >= runsThatShowTheRace) {
        EXPECT_GT(recordedCopies, runs);
    }
    std::printf(
        "%d runs, %lld copies recorded before SIGTERM\n", runs, static_cast<long long>(recordedCopies));
}

// A ledger job that cannot finish (here the browser host holds the ledger's
// lock and never lets go) does not hold the quit up for longer than its grace:
// the app says so and ends without touching what the job still uses.
TEST(ShutdownDesktop, SigtermWhileALedgerJobIsStuckEndsWithinItsGraceAndSaysSo)
{
    const desktop::WindowManager windowManager;
    ClientWindow editor(QStringLiteral("editor"));
    ASSERT_TRUE(editor.start());
    AppUnderTest app;
    app.setSetting(QStringLiteral("tovra.v02.observationEnabled"), true);
    app.start();
    ASSERT_TRUE(waitUntilFollowing(app, editor, QStringLiteral("stuck")));

    const QByteArray lockPath
        = QFile::encodeName(QFileInfo(app.ledgerPath()).absolutePath() + QStringLiteral("/lock"));
    const int lock = ::open(lockPath.constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    ASSERT_TRUE(editor.copyText(QStringLiteral("copied while the ledger is held")));
    // Two looks at the pasteboard: the copy's job is waiting for the lock.
    QThread::msleep(2 * pollMilliseconds);

    const QDeadlineTimer quitting(std::chrono::seconds(10));
    const int status = app.terminate();
    const bool endedInTime = !quitting.hasExpired();
    ::close(lock);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(endedInTime);
    EXPECT_TRUE(app.standardError().contains("abandoned"));
}

} // namespace
