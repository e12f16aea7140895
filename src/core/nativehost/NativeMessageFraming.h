#pragma once

#include <QByteArray>
#include <QIODevice>

#include <optional>

namespace tovra {

// The browser's native-messaging framing: a 4-byte little-endian length, then
// that many bytes of UTF-8 JSON. Both directions share one size limit.
class NativeMessageFraming {
public:
    static constexpr quint32 maximumMessageBytes = 1048576;
    static constexpr qsizetype headerBytes = 4;

    // Reads one whole message, however the bytes arrive. Returns none when the
    // input ends exactly at a frame boundary. Throws NativeMessagingError for a
    // length over the limit (messageTooLarge), input that ends inside a frame
    // (malformedRequest) and a failing device (internalError).
    static std::optional<QByteArray> readMessage(QIODevice &input);

    // Writes one frame and pushes it out of any buffer before returning.
    // Throws NativeMessagingError for a message over the limit
    // (messageTooLarge) or a device that does not take every byte
    // (internalError).
    static void writeMessage(QIODevice &output, const QByteArray &message);

    // The frame's bytes: header and message. Throws messageTooLarge.
    static QByteArray encodeFrame(const QByteArray &message);
};

} // namespace tovra
