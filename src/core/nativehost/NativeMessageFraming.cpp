#include "core/nativehost/NativeMessageFraming.h"

#include "core/nativehost/NativeMessagingError.h"

#include <QFileDevice>

namespace tovra {

namespace {

// Fills `buffer` completely unless the input ends first; returns how many
// bytes were read. A device that has nothing now but may get more (a pipe
// or socket wrapped by Qt) is waited for; a file or buffer ends at once.
qsizetype readFully(QIODevice &input, char *buffer, qsizetype wanted)
{
    qsizetype filled = 0;
    while (filled < wanted) {
        const qint64 got = input.read(buffer + filled, wanted - filled);
        if (got < 0) {
            throw NativeMessagingError::internalError(
                QStringLiteral("reading the input failed: %1").arg(input.errorString()));
        }
        if (got == 0 && !input.waitForReadyRead(-1)) {
            break;
        }
        filled += got;
    }
    return filled;
}

} // namespace

std::optional<QByteArray> NativeMessageFraming::readMessage(QIODevice &input)
{
    unsigned char header[headerBytes];
    const qsizetype headerRead = readFully(input, reinterpret_cast<char *>(header), headerBytes);
    if (headerRead == 0) {
        return std::nullopt;
    }
    if (headerRead < headerBytes) {
        throw NativeMessagingError::malformedRequest(
            QStringLiteral("The input ended inside a message header after %1 of 4 bytes.").arg(headerRead));
    }

    const quint32 length = quint32(header[0]) | (quint32(header[1]) << 8) | (quint32(header[2]) << 16)
        | (quint32(header[3]) << 24);
    if (length > maximumMessageBytes) {
        throw NativeMessagingError::messageTooLarge(length);
    }

    QByteArray message(qsizetype(length), Qt::Uninitialized);
    const qsizetype bodyRead = readFully(input, message.data(), message.size());
    if (bodyRead < message.size()) {
        throw NativeMessagingError::malformedRequest(
            QStringLiteral("The input ended inside a message after %1 of %2 bytes.")
                .arg(bodyRead)
                .arg(length));
    }
    return message;
}

QByteArray NativeMessageFraming::encodeFrame(const QByteArray &message)
{
    if (quint64(message.size()) > maximumMessageBytes) {
        throw NativeMessagingError::messageTooLarge(quint64(message.size()));
    }
    const auto length = quint32(message.size());
    QByteArray frame;
    frame.reserve(headerBytes + message.size());
    frame.append(char(length & 0xff));
    frame.append(char((length >> 8) & 0xff));
    frame.append(char((length >> 16) & 0xff));
    frame.append(char((length >> 24) & 0xff));
    frame.append(message);
    return frame;
}

void NativeMessageFraming::writeMessage(QIODevice &output, const QByteArray &message)
{
    const QByteArray frame = encodeFrame(message);
    if (output.write(frame) != frame.size()) {
        throw NativeMessagingError::internalError(
            QStringLiteral("writing the response failed: %1").arg(output.errorString()));
    }
    if (auto *file = qobject_cast<QFileDevice *>(&output)) {
        if (!file->flush()) {
            throw NativeMessagingError::internalError(
                QStringLiteral("flushing the response failed: %1").arg(file->errorString()));
        }
        return;
    }
    while (output.bytesToWrite() > 0) {
        if (!output.waitForBytesWritten(-1)) {
            throw NativeMessagingError::internalError(
                QStringLiteral("sending the response failed: %1").arg(output.errorString()));
        }
    }
}

} // namespace tovra
