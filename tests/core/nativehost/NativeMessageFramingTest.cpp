#include "NativeHostTestSupport.h"

#include "core/nativehost/NativeMessageFraming.h"
#include "core/nativehost/NativeMessagingError.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::frameHeader;

namespace {

constexpr quint32 limit = NativeMessageFraming::maximumMessageBytes;

// Hands out at most one byte per read, the way a pipe may deliver a frame in
// pieces.
class TricklingDevice : public QIODevice {
public:
    explicit TricklingDevice(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_position >= m_bytes.size() || maxSize == 0) {
            return 0;
        }
        data[0] = m_bytes.at(m_position++);
        return 1;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qsizetype m_position = 0;
};

} // namespace

TEST(NativeMessageFraming, ReadsFramesDeliveredOneByteAtATimeThenReportsTheCleanEnd)
{
    const QByteArray first(300, 'a');
    const QByteArray second = QStringLiteral("{\"t\":\"剪贴板\"}").toUtf8();
    EXPECT_EQ(NativeMessageFraming::encodeFrame("{}"), QByteArray::fromHex("020000007b7d"));
    TricklingDevice device(NativeMessageFraming::encodeFrame(first) + NativeMessageFraming::encodeFrame({})
        + NativeMessageFraming::encodeFrame(second));

    EXPECT_EQ(NativeMessageFraming::readMessage(device), first);
    EXPECT_EQ(NativeMessageFraming::readMessage(device), QByteArray())
        << "an empty frame is a message, not the end of input";
    EXPECT_EQ(NativeMessageFraming::readMessage(device), second);
    EXPECT_EQ(NativeMessageFraming::readMessage(device), std::nullopt);
}

TEST(NativeMessageFraming, RefusesTruncatedFramesAndLengthsOverTheLimit)
{
    using Kind = NativeMessagingError::Kind;
    const struct {
        QByteArray input;
        Kind kind;
    } cases[] = {
        { frameHeader(10).left(2), Kind::malformedRequest },
        { frameHeader(1), Kind::malformedRequest },
        { frameHeader(10) + "12345", Kind::malformedRequest },
        // The oversized body is never read, so no body bytes need to follow.
        { frameHeader(limit + 1), Kind::messageTooLarge },
        { frameHeader(0xffffffffu), Kind::messageTooLarge },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.input.toHex().constData());
        TricklingDevice device(testCase.input);
        try {
            NativeMessageFraming::readMessage(device);
            ADD_FAILURE() << "reading did not fail";
        } catch (const NativeMessagingError &error) {
            EXPECT_EQ(error.kind(), testCase.kind);
        }
    }

    QByteArray atLimit = frameHeader(limit) + QByteArray(qsizetype(limit), 'z');
    QBuffer buffer(&atLimit);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(NativeMessageFraming::readMessage(buffer), atLimit.mid(4));
}

TEST(NativeMessageFraming, WritesWholeFramesAndReportsWhatCannotBeWritten)
{
    QByteArray written;
    QBuffer output(&written);
    output.open(QIODevice::WriteOnly);
    NativeMessageFraming::writeMessage(output, R"({"ok":true})");
    NativeMessageFraming::writeMessage(output, "x");
    EXPECT_EQ(written, frameHeader(11) + R"({"ok":true})" + frameHeader(1) + "x");

    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    const struct {
        QIODevice *device;
        QByteArray message;
        NativeMessagingError::Kind kind;
    } refusals[] = {
        { &output, QByteArray(qsizetype(limit) + 1, 'y'), NativeMessagingError::Kind::messageTooLarge },
        { &readOnly, "{}", NativeMessagingError::Kind::internalError },
    };
    for (const auto &refusal : refusals) {
        try {
            NativeMessageFraming::writeMessage(*refusal.device, refusal.message);
            ADD_FAILURE() << "a refused write was reported as success";
        } catch (const NativeMessagingError &error) {
            EXPECT_EQ(error.kind(), refusal.kind);
        }
    }
    EXPECT_EQ(written.size(), 4 + 11 + 4 + 1) << "nothing of the refused frame may be written";
}
