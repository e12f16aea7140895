#include "app/resolver/ResolverResponseWriter.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tovra {

namespace {

// A connected pair of Unix-domain stream sockets, the writer's end and the
// plug-in's end, each closed at the end unless it was closed before.
struct SocketPair {
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends.data()), 0); }
    ~SocketPair()
    {
        closeWriterEnd();
        closePeer();
    }
    int writerEnd() const { return ends[0]; }
    int peer() const { return ends[1]; }
    void closeWriterEnd() { ::close(std::exchange(ends[0], -1)); }
    void closePeer() { ::close(std::exchange(ends[1], -1)); }

    std::array<int, 2> ends { -1, -1 };
};

// Reads from `descriptor` until `byteCount` bytes have arrived or the other
// end is closed.
QByteArray readExactly(int descriptor, qsizetype byteCount)
{
    QByteArray received;
    std::array<char, 65536> buffer {};
    while (received.size() < byteCount) {
        const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        received.append(buffer.data(), count);
    }
    return received;
}

// Holds SIGPIPE back on this thread with its default, fatal action in place,
// so that a write raising it leaves it pending here instead of ending the
// test program (or being lost to an inherited "ignore").
class SigpipeWatch {
public:
    SigpipeWatch()
    {
        struct sigaction fatal { };
        fatal.sa_handler = SIG_DFL;
        sigemptyset(&fatal.sa_mask);
        ::sigaction(SIGPIPE, &fatal, &m_previousAction);
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        ::pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previousMask);
    }
    ~SigpipeWatch()
    {
        // A pending SIGPIPE is taken before the mask is restored.
        const timespec noWait {};
        ::sigtimedwait(&m_pipe, nullptr, &noWait);
        ::pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
        ::sigaction(SIGPIPE, &m_previousAction, nullptr);
    }
    bool raised() const
    {
        sigset_t pending;
        sigemptyset(&pending);
        ::sigpending(&pending);
        return sigismember(&pending, SIGPIPE) == 1;
    }

private:
    struct sigaction m_previousAction { };
    sigset_t m_previousMask {};
    sigset_t m_pipe {};
};

} // namespace

TEST(ResolverResponseWriter, WritesTheBytesExactlyAsGivenAndInOrder)
{
    SocketPair sockets;
    ResolverResponseWriter writer(sockets.writerEnd());
    const QByteArray first = R"({"protocol":"tovra.resolver.v1","type":"heartbeatAck"})";
    const QByteArray second = QByteArray("\x00\x01\xff\n", 4);
    EXPECT_TRUE(writer.write(first));
    EXPECT_TRUE(writer.write(QByteArray()));
    EXPECT_TRUE(writer.write(second));
    sockets.closeWriterEnd();

    // Read to the end of the stream: nothing more than the two messages.
    EXPECT_EQ(readExactly(sockets.peer(), first.size() + second.size() + 1), first + second);
    EXPECT_FALSE(writer.failed());
}

TEST(ResolverResponseWriter, LargeWritesWaitForTheReaderOnBlockingAndNonBlockingSockets)
{
    for (const bool nonBlocking : { false, true }) {
        SCOPED_TRACE(nonBlocking ? "non-blocking" : "blocking");
        SocketPair sockets;
        if (nonBlocking) {
            ASSERT_EQ(
                ::fcntl(sockets.writerEnd(), F_SETFL, ::fcntl(sockets.writerEnd(), F_GETFL) | O_NONBLOCK), 0);
        }
        ResolverResponseWriter writer(sockets.writerEnd());
        // Far more than a socket buffer holds, with a pattern that shows a
        // lost or repeated chunk.
        QByteArray payload(4 * 1024 * 1024, Qt::Uninitialized);
        for (qsizetype index = 0; index < payload.size(); ++index)
            payload[index] = static_cast<char>((index * 7 + index / 251) & 0xff);

        QByteArray received;
        std::thread reader([&] { received = readExactly(sockets.peer(), payload.size()); });
        EXPECT_TRUE(writer.write(payload));
        // The reader stops at the end of the stream should bytes be missing.
        sockets.closeWriterEnd();
        reader.join();
        EXPECT_FALSE(writer.failed());
        EXPECT_TRUE(received == payload);
    }
}

TEST(ResolverResponseWriter, WritesFromSeveralThreadsNeverInterleave)
{
    SocketPair sockets;
    ResolverResponseWriter writer(sockets.writerEnd());
    constexpr qsizetype messageSize = 256 * 1024;
    constexpr int threadCount = 4;
    constexpr int messagesPerThread = 6;
    constexpr qsizetype total = messageSize * threadCount * messagesPerThread;

    QByteArray received;
    std::thread reader([&] { received = readExactly(sockets.peer(), total); });
    std::vector<std::thread> writers;
    for (int thread = 0; thread < threadCount; ++thread) {
        writers.emplace_back([&writer, thread] {
            for (int index = 0; index < messagesPerThread; ++index)
                EXPECT_TRUE(writer.write(QByteArray(messageSize, static_cast<char>('a' + thread))));
        });
    }
    for (std::thread &thread : writers)
        thread.join();
    sockets.closeWriterEnd();
    reader.join();

    ASSERT_EQ(received.size(), total);
    std::array<int, threadCount> messagesOf {};
    for (qsizetype start = 0; start < total; start += messageSize) {
        const char fill = received.at(start);
        ASSERT_GE(fill, 'a');
        ASSERT_LT(fill, 'a' + threadCount);
        ASSERT_EQ(received.mid(start, messageSize), QByteArray(messageSize, fill))
            << "a message was interleaved at byte " << start;
        ++messagesOf[static_cast<std::size_t>(fill - 'a')];
    }
    EXPECT_EQ(messagesOf, (std::array<int, threadCount> { 6, 6, 6, 6 }));
}

TEST(ResolverResponseWriter, BrokenConnectionFailsWithoutSigpipeAndNothingIsWrittenAfterwards)
{
    const std::vector<std::pair<const char *, std::function<void(SocketPair &)>>> breakages {
        { "peer closed", [](SocketPair &sockets) { sockets.closePeer(); } },
        { "shut down for writing",
            [](SocketPair &sockets) { ASSERT_EQ(::shutdown(sockets.writerEnd(), SHUT_WR), 0); } },
    };
    for (const auto &[name, breakConnection] : breakages) {
        SCOPED_TRACE(name);
        SocketPair broken;
        ResolverResponseWriter writer(broken.writerEnd());
        breakConnection(broken);
        const SigpipeWatch watch;
        EXPECT_FALSE(writer.write("after the connection broke"));
        EXPECT_TRUE(writer.failed());

        // The same descriptor number now leads to a healthy connection; a
        // writer that kept writing would reach it.
        SocketPair healthy;
        ASSERT_EQ(::dup2(healthy.writerEnd(), broken.writerEnd()), broken.writerEnd());
        EXPECT_FALSE(writer.write("must not arrive"));
        EXPECT_TRUE(writer.failed());
        healthy.closeWriterEnd();
        broken.closeWriterEnd();
        EXPECT_TRUE(readExactly(healthy.peer(), 1).isEmpty());
        EXPECT_FALSE(watch.raised());
    }

    SocketPair sockets;
    ResolverResponseWriter writer(sockets.writerEnd());
    const int descriptor = sockets.writerEnd();
    sockets.closeWriterEnd();
    ASSERT_EQ(::fcntl(descriptor, F_GETFD), -1);
    EXPECT_FALSE(writer.write("to a closed descriptor"));
    EXPECT_TRUE(writer.failed());
}

} // namespace tovra
