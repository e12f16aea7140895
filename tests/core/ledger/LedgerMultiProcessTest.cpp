#include "core/ledger/TovraLedger.h"

#include "LedgerTestSupport.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <memory>
#include <vector>

using namespace tovra;

namespace {

// Generous bounds so a slow machine cannot hang the suite; nothing is measured.
constexpr int processDeadlineMs = 120'000;

class LedgerMultiProcessTest : public tovra::testing::LedgerFixture {
protected:
    std::unique_ptr<QProcess> startClient(const QString &label, int count)
    {
        auto process = std::make_unique<QProcess>();
        process->setProgram(QStringLiteral(TOVRA_LEDGER_TEST_CLIENT));
        process->setArguments({ ledgerPath(), QString::fromLatin1(tovra::testing::testMasterKey().toHex()),
            label, QString::number(count) });
        process->start();
        EXPECT_TRUE(process->waitForStarted(processDeadlineMs)) << process->errorString().toStdString();
        return process;
    }

    // QProcess sends buffered input only from an event loop or a wait, so the
    // line is pushed out here: every client must start at the same moment.
    static void go(QProcess &process)
    {
        process.write("go\n");
        EXPECT_TRUE(process.waitForBytesWritten(processDeadlineMs));
    }

    // The trace ids a client printed, one a line.
    static void addReported(QSet<QString> &ids, const QByteArray &output)
    {
        for (const QByteArray &line : output.split('\n')) {
            if (!line.isEmpty())
                ids.insert(QString::fromLatin1(line));
        }
    }

    QSet<QString> storedTraces()
    {
        QSet<QString> ids;
        for (const TraceRecord &trace : openLedger()->listRecords())
            ids.insert(trace.id.toString(QUuid::WithoutBraces));
        return ids;
    }
};

// Reports files created in a folder (inotify), so a test can act the moment a
// writer creates its temporary file.
class TemporaryFileWatch {
public:
    explicit TemporaryFileWatch(const QString &folder)
        : m_fd(::inotify_init1(IN_CLOEXEC))
    {
        EXPECT_GE(m_fd, 0);
        EXPECT_GE(::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_CREATE), 0);
    }
    ~TemporaryFileWatch() { ::close(m_fd); }

    bool waitForTemporaryFile(const QString &prefix)
    {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            pollfd ready { m_fd, POLLIN, 0 };
            if (::poll(&ready, 1, processDeadlineMs) <= 0)
                return false;
            const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
            for (ssize_t offset = 0; offset < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
                if (event->len > 0 && QFile::decodeName(event->name).startsWith(prefix))
                    return true;
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int m_fd;
};

} // namespace

TEST_F(LedgerMultiProcessTest, ConcurrentProcessesNeverLoseEachOthersChanges)
{
    constexpr int processCount = 6;
    constexpr int operationsEach = 25;
    std::vector<std::unique_ptr<QProcess>> clients;
    for (int index = 0; index < processCount; ++index)
        clients.push_back(startClient(QStringLiteral("client%1").arg(index), operationsEach));
    for (auto &client : clients)
        go(*client);

    QSet<QString> reported;
    for (auto &client : clients) {
        ASSERT_TRUE(client->waitForFinished(processDeadlineMs));
        EXPECT_EQ(client->exitCode(), 0) << client->readAllStandardError().toStdString();
        addReported(reported, client->readAllStandardOutput());
    }
    EXPECT_EQ(reported.size(), processCount * operationsEach);
    EXPECT_EQ(storedTraces(), reported);
    EXPECT_EQ(openLedger()->status(tovra::testing::at(60)).pendingSourceCount, processCount * operationsEach);
}

TEST_F(LedgerMultiProcessTest, WriterKilledWhileWritingLeavesEverythingItCommitted)
{
    const QString folder = QFileInfo(ledgerPath()).absolutePath();
    QSet<QString> reported;
    for (int round = 0; round < 6; ++round) {
        auto writer = startClient(QStringLiteral("round%1").arg(round), 0);
        go(*writer);
        QByteArray output;
        while (output.count('\n') < 5 + round * 3) {
            ASSERT_TRUE(writer->waitForReadyRead(processDeadlineMs))
                << writer->readAllStandardError().toStdString();
            output += writer->readAllStandardOutput();
        }
        // Kill the writer the moment its next temporary file appears: in the
        // middle of writing, before the rename that would publish it.
        TemporaryFileWatch watch(folder);
        ASSERT_TRUE(watch.waitForTemporaryFile(QFileInfo(ledgerPath()).fileName() + QStringLiteral(".tmp-")))
            << "the ledger is not written through a temporary file";
        ::kill(static_cast<pid_t>(writer->processId()), SIGKILL);
        ASSERT_TRUE(writer->waitForFinished(processDeadlineMs));
        EXPECT_EQ(writer->exitStatus(), QProcess::CrashExit);
        addReported(reported, output + writer->readAllStandardOutput());

        const QSet<QString> stored = storedTraces();
        EXPECT_TRUE(stored.contains(reported)) << "committed traces lost in round " << round;
        // A commit may have reached the file just before the kill without being reported.
        EXPECT_LE(stored.size(), reported.size() + round + 1);
    }

    // The next writer clears what a killed one left behind.
    openLedger()->setPaused(true, tovra::testing::at(1));
    EXPECT_TRUE(QDir(folder).entryList({ QStringLiteral("*.tmp-*") }, QDir::Files | QDir::Hidden).isEmpty());
}
