#include "core/nativehost/NativeMessageFraming.h"
#include "core/nativehost/NativeMessagingError.h"

#include <QBuffer>

#include <gtest/gtest.h>

using tovra::NativeMessageFraming;
using tovra::NativeMessagingError;

namespace {

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

QByteArray header(quint32 length)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.append(char((length >> shift) & 0xff));
    }
    return bytes;
}

NativeMessagingError::Kind readErrorKind(QIODevice &device)
{
    try {
        NativeMessageFraming::readMessage(device);
    } catch (const NativeMessagingError &error) {
        return error.kind();
    }
    ADD_FAILURE() << "reading did not fail";
    return NativeMessagingError::Kind::internalError;
}

} // namespace

TEST(NativeMessageFraming, HeaderIsLittleEndianLengthFollowedByTheBytes)
{
    const QByteArray message(0x0102, 'x');
    const QByteArray frame = NativeMessageFraming::encodeFrame(message);
    ASSERT_EQ(frame.size(), 4 + 0x0102);
    EXPECT_EQ(frame.left(4), QByteArray::fromHex("02010000"));
    EXPECT_EQ(frame.mid(4), message);
    EXPECT_EQ(NativeMessageFraming::encodeFrame("{}"), QByteArray::fromHex("020000007b7d"));
}

TEST(NativeMessageFraming, ReadsConsecutiveFramesThenReportsTheCleanEnd)
{
    QByteArray stream = NativeMessageFraming::encodeFrame(R"({"a":1})");
    stream += NativeMessageFraming::encodeFrame(QByteArray());
    stream += NativeMessageFraming::encodeFrame("second");
    QBuffer buffer(&stream);
    buffer.open(QIODevice::ReadOnly);

    EXPECT_EQ(NativeMessageFraming::readMessage(buffer), QByteArray(R"({"a":1})"));
    const std::optional<QByteArray> empty = NativeMessageFraming::readMessage(buffer);
    ASSERT_TRUE(empty.has_value()) << "an empty frame is a message, not the end of input";
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_EQ(NativeMessageFraming::readMessage(buffer), QByteArray("second"));
    EXPECT_EQ(NativeMessageFraming::readMessage(buffer), std::nullopt);
}

TEST(NativeMessageFraming, AssemblesFramesDeliveredOneByteAtATime)
{
    const QByteArray first(300, 'a');
    const QByteArray second = QStringLiteral("{\"t\":\"剪贴板\"}").toUtf8();
    TricklingDevice device(
        NativeMessageFraming::encodeFrame(first) + NativeMessageFraming::encodeFrame(second));

    EXPECT_EQ(NativeMessageFraming::readMessage(device), first);
    EXPECT_EQ(NativeMessageFraming::readMessage(device), second);
    EXPECT_EQ(NativeMessageFraming::readMessage(device), std::nullopt);
}

TEST(NativeMessageFraming, InputEndingInsideAFrameIsMalformed)
{
    QByteArray partialHeader = header(10).left(2);
    QBuffer headerBuffer(&partialHeader);
    headerBuffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(readErrorKind(headerBuffer), NativeMessagingError::Kind::malformedRequest);

    TricklingDevice partialBody(header(10) + "12345");
    EXPECT_EQ(readErrorKind(partialBody), NativeMessagingError::Kind::malformedRequest);

    QByteArray headerOnly = header(1);
    QBuffer headerOnlyBuffer(&headerOnly);
    headerOnlyBuffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(readErrorKind(headerOnlyBuffer), NativeMessagingError::Kind::malformedRequest);
}

TEST(NativeMessageFraming, AcceptsTheLimitAndRefusesOneByteMore)
{
    const QByteArray largest(qsizetype(NativeMessageFraming::maximumMessageBytes), 'z');
    QByteArray atLimit = header(NativeMessageFraming::maximumMessageBytes) + largest;
    QBuffer atLimitBuffer(&atLimit);
    atLimitBuffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(NativeMessageFraming::readMessage(atLimitBuffer), largest);

    // The oversized body is never read, so no body bytes need to follow.
    QByteArray overLimit = header(NativeMessageFraming::maximumMessageBytes + 1);
    QBuffer overLimitBuffer(&overLimit);
    overLimitBuffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(readErrorKind(overLimitBuffer), NativeMessagingError::Kind::messageTooLarge);

    QByteArray hugeLength = header(0xffffffffu);
    QBuffer hugeBuffer(&hugeLength);
    hugeBuffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(readErrorKind(hugeBuffer), NativeMessagingError::Kind::messageTooLarge);
}

TEST(NativeMessageFraming, WritesWholeFramesAndRefusesOversizedOnes)
{
    QByteArray written;
    QBuffer output(&written);
    output.open(QIODevice::WriteOnly);
    NativeMessageFraming::writeMessage(output, R"({"ok":true})");
    NativeMessageFraming::writeMessage(output, "x");
    EXPECT_EQ(written, header(11) + R"({"ok":true})" + header(1) + "x");

    const QByteArray tooLarge(qsizetype(NativeMessageFraming::maximumMessageBytes) + 1, 'y');
    try {
        NativeMessageFraming::writeMessage(output, tooLarge);
        FAIL() << "an oversized response was written";
    } catch (const NativeMessagingError &error) {
        EXPECT_EQ(error.kind(), NativeMessagingError::Kind::messageTooLarge);
        EXPECT_EQ(error.code(), QStringLiteral("message_too_large"));
    }
    EXPECT_EQ(written.size(), 4 + 11 + 4 + 1) << "nothing of the refused frame may be written";
}

TEST(NativeMessageFraming, AWriteTheDeviceRefusesIsReported)
{
    QByteArray storage;
    QBuffer readOnly(&storage);
    readOnly.open(QIODevice::ReadOnly);
    try {
        NativeMessageFraming::writeMessage(readOnly, "{}");
        FAIL() << "a refused write was reported as success";
    } catch (const NativeMessagingError &error) {
        EXPECT_EQ(error.kind(), NativeMessagingError::Kind::internalError);
    }
}
