#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

struct xcb_connection_t;

namespace tovra {

// Reads a selection's data over an X connection of its own (XCB), so that a
// transfer of many megabytes from another application can run on any thread
// while the GUI thread's connection stays free. XCB is thread-safe and
// reports a failed request to the request alone, where Xlib's error handler
// is one for the whole process. The transfer is the one every requestor
// makes (whole, or in increments for large data), bounded in time per step
// and in size, like the GUI thread's reader.
//
// One read runs at a time; the connection is opened by the first read, on
// the thread that makes it, and kept for the next.
class X11DetachedSelectionReader {
public:
    X11DetachedSelectionReader(QByteArray displayName, QByteArray selection,
        std::chrono::milliseconds timeout, qsizetype maximumBytes);
    ~X11DetachedSelectionReader();

    X11DetachedSelectionReader(const X11DetachedSelectionReader &) = delete;
    X11DetachedSelectionReader &operator=(const X11DetachedSelectionReader &) = delete;

    // The bytes of the first of `targets` that the owner offers and
    // delivers; none when it delivers none of them in time and within the
    // limit. The owner's list of targets is asked here too, so that the
    // thread that hands the read on never waits for the owner.
    std::optional<QByteArray> read(const QList<QByteArray> &targets);

private:
    struct Connection;
    Connection *connection();
    // Those of `targets` that the owner lists, in their order; none when it
    // gives no list (it may still deliver them).
    std::optional<QList<QByteArray>> offeredAmong(Connection &connection, const QList<QByteArray> &targets);
    std::optional<QByteArray> readTarget(Connection &connection, const QByteArray &target);

    QByteArray m_displayName;
    QByteArray m_selection;
    std::chrono::milliseconds m_timeout;
    qsizetype m_maximumBytes;
    std::mutex m_mutex;
    std::unique_ptr<Connection> m_connection;
};

} // namespace tovra
