#pragma once

#include "core/nativehost/ClipboardTextReading.h"

#include <QByteArray>

#include <chrono>
#include <memory>

namespace tovra {

// Reads the CLIPBOARD selection as UTF-8 text from an X server, the way any
// requestor does: ask the owner to convert it onto a hidden window of our own
// and take the property it writes. Transfers larger than the host's message
// limit (or sent incrementally) count as unreadable, since no capture could
// carry such a text anyway.
class X11ClipboardTextReader final : public ClipboardTextReading {
public:
    static constexpr std::chrono::milliseconds defaultTimeout { 1000 };
    static constexpr unsigned long maximumTextBytes = 1048576;

    // An empty display name means the display named by the environment
    // (DISPLAY). The connection is opened on the first read and kept.
    explicit X11ClipboardTextReader(
        QByteArray displayName = {}, std::chrono::milliseconds timeout = defaultTimeout);
    ~X11ClipboardTextReader() override;

    X11ClipboardTextReader(const X11ClipboardTextReader &) = delete;
    X11ClipboardTextReader &operator=(const X11ClipboardTextReader &) = delete;

    // None when there is no display, no owner, the owner refuses UTF8_STRING,
    // does not answer within the timeout, or answers with something that is
    // not UTF-8 text within the size limit.
    std::optional<QString> readClipboardText() override;

private:
    struct Connection;

    bool connect();
    std::optional<QString> requestText(bool &connectionReusable);

    QByteArray m_displayName;
    std::chrono::milliseconds m_timeout;
    std::unique_ptr<Connection> m_connection;
};

} // namespace tovra
