#pragma once

#include <QByteArray>
#include <QList>

#include "platform/x11/X11Types.h"

#include <chrono>
#include <optional>

namespace tovra {

class X11Connection;

// Asks the owner of a selection for its data, the way every requestor does:
// the owner converts it onto a property of our hidden window, in one piece or
// in increments (INCR) for large data. Every step waits a bounded time, and a
// transfer larger than the limit is abandoned, so a stuck or hostile owner
// costs a second and some memory at most.
class X11SelectionReader {
public:
    struct Data {
        QByteArray bytes;
        // The property type the owner announced.
        QByteArray type;
        // 8, 16 or 32; 16- and 32-bit items are packed as such, not as longs.
        int format = 8;
    };

    X11SelectionReader(X11Connection &connection, X11Atom selection, std::chrono::milliseconds timeout,
        qsizetype maximumBytes);

    // The targets the owner offers; none when there is no owner or it does
    // not answer.
    std::optional<QList<QByteArray>> targets();

    // The owner's data for `target`; none when it refuses, does not answer in
    // time or sends more than the limit.
    std::optional<Data> read(const QByteArray &target);

private:
    enum class PropertyState { read, missing, incremental };
    std::optional<Data> readProperty(X11Atom property, PropertyState &state);
    std::optional<Data> readIncrementally(X11Atom property);
    X11Atom nextProperty();

    X11Connection &m_connection;
    X11Atom m_selection;
    std::chrono::milliseconds m_timeout;
    qsizetype m_maximumBytes;
    unsigned m_requestNumber = 0;
};

} // namespace tovra
