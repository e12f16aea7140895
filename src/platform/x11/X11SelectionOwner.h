#pragma once

#include <QByteArray>
#include <QList>

#include "platform/x11/X11Types.h"

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace tovra {

class X11Connection;

// Holds a selection for this program and answers other clients' requests for
// it: the offered targets, TARGETS, TIMESTAMP and MULTIPLE, with large data
// sent in increments (INCR). Data is produced on request, so a conversion
// (an image into PNG) costs nothing until someone asks for it.
class X11SelectionOwner {
public:
    struct Payload {
        // The property type announced to the requestor.
        QByteArray type;
        QByteArray bytes;
    };
    // Returns the data of one target, none when it cannot be produced.
    using Provider = std::function<std::optional<Payload>()>;
    struct Offer {
        QByteArray target;
        Provider provide;
    };

    // Data larger than `incrementSize` bytes is sent in pieces of that size.
    X11SelectionOwner(X11Connection &connection, X11Atom selection, qsizetype incrementSize);
    ~X11SelectionOwner();

    X11SelectionOwner(const X11SelectionOwner &) = delete;
    X11SelectionOwner &operator=(const X11SelectionOwner &) = delete;

    // Takes the selection with these offers (in order of preference). Returns
    // the server time of the acquisition, none when the server refused.
    std::optional<X11Time> acquire(QList<Offer> offers);

    // Hands the selection over to nobody, when it is still ours.
    void release(X11Time time);

    // Whether the selection is still ours, as far as events have told.
    bool isOwner() const noexcept { return m_isOwner; }
    X11Time acquisitionTime() const noexcept { return m_acquisitionTime; }

    QList<QByteArray> offeredTargets() const;

    // Our own data for a target, as a requestor would get it.
    std::optional<Payload> payload(const QByteArray &target) const;

    // Selection requests and clears for our window, and the property
    // deletions that pace increments.
    void handleEvent(const X11Event &event);

private:
    struct Transfer {
        X11Window requestor = 0;
        X11Atom property = 0;
        X11Atom type = 0;
        QByteArray bytes;
        qsizetype offset = 0;
        long previousMask = 0;
        std::chrono::steady_clock::time_point lastActivity;
    };

    void answerRequest(const X11Event &event);
    bool convert(X11Window requestor, X11Atom target, X11Atom property, bool allowMultiple);
    bool convertMultiple(X11Window requestor, X11Atom property);
    void continueTransfer(X11Window requestor, X11Atom property);
    void dropStaleTransfers();

    X11Connection &m_connection;
    X11Atom m_selection;
    qsizetype m_incrementSize;
    bool m_isOwner = false;
    X11Time m_acquisitionTime = 0;
    QList<Offer> m_offers;
    std::vector<Transfer> m_transfers;
};

} // namespace tovra
