#include "platform/x11/X11SelectionOwner.h"

#include "platform/x11/X11Connection.h"

#include <algorithm>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tovra {

namespace {

// A requestor that stops taking increments for this long has given up.
constexpr std::chrono::seconds abandonedTransferAge { 10 };

} // namespace

X11SelectionOwner::X11SelectionOwner(X11Connection &connection, Atom selection, qsizetype incrementSize)
    : m_connection(connection)
    , m_selection(selection)
    , m_incrementSize(incrementSize)
{
}

X11SelectionOwner::~X11SelectionOwner()
{
    if (m_isOwner)
        release(CurrentTime);
}

std::optional<Time> X11SelectionOwner::acquire(QList<Offer> offers)
{
    if (!m_connection.isUsable())
        return std::nullopt;
    Display *display = m_connection.display();
    const Time time = m_connection.serverTime();
    XSetSelectionOwner(display, m_selection, m_connection.helperWindow(), time);
    if (XGetSelectionOwner(display, m_selection) != m_connection.helperWindow()) {
        m_isOwner = false;
        m_offers.clear();
        return std::nullopt;
    }
    m_isOwner = true;
    m_acquisitionTime = time;
    m_offers = std::move(offers);
    return time;
}

void X11SelectionOwner::release(Time time)
{
    m_offers.clear();
    if (!m_isOwner)
        return;
    m_isOwner = false;
    if (!m_connection.isUsable())
        return;
    Display *display = m_connection.display();
    if (XGetSelectionOwner(display, m_selection) == m_connection.helperWindow())
        XSetSelectionOwner(display, m_selection, None, time);
    XFlush(display);
}

QList<QByteArray> X11SelectionOwner::offeredTargets() const
{
    QList<QByteArray> targets;
    for (const Offer &offer : m_offers)
        targets.append(offer.target);
    return targets;
}

std::optional<X11SelectionOwner::Payload> X11SelectionOwner::payload(const QByteArray &target) const
{
    for (const Offer &offer : m_offers) {
        if (offer.target == target)
            return offer.provide();
    }
    return std::nullopt;
}

void X11SelectionOwner::handleEvent(const XEvent &event)
{
    switch (event.type) {
    case SelectionRequest:
        if (event.xselectionrequest.owner == m_connection.helperWindow()
            && event.xselectionrequest.selection == m_selection)
            answerRequest(event);
        break;
    case SelectionClear:
        if (event.xselectionclear.window == m_connection.helperWindow()
            && event.xselectionclear.selection == m_selection
            && (event.xselectionclear.time == CurrentTime
                || event.xselectionclear.time >= m_acquisitionTime)) {
            m_isOwner = false;
            m_offers.clear();
        }
        break;
    case PropertyNotify:
        if (event.xproperty.state == PropertyDelete)
            continueTransfer(event.xproperty.window, event.xproperty.atom);
        break;
    default:
        break;
    }
}

void X11SelectionOwner::answerRequest(const XEvent &event)
{
    const XSelectionRequestEvent &request = event.xselectionrequest;
    dropStaleTransfers();
    // Requestors from before ICCCM name no property; the target stands in.
    const Atom property = request.property == None ? request.target : request.property;
    // A request stamped before our acquisition is answered all the same:
    // requestors stamp with the last event they saw, which can predate our
    // write, and the data they get is what the clipboard holds now.
    X11ErrorTrap trap(m_connection);
    const bool converted = m_isOwner && convert(request.requestor, request.target, property, true);

    XEvent reply {};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = request.display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = converted ? property : None;
    reply.xselection.time = request.time;
    XSendEvent(m_connection.display(), request.requestor, False, NoEventMask, &reply);
    trap.sync();
}

bool X11SelectionOwner::convert(Window requestor, Atom target, Atom property, bool allowMultiple)
{
    Display *display = m_connection.display();
    if (target == m_connection.atom("TARGETS")) {
        std::vector<long> atoms { long(m_connection.atom("TARGETS")), long(m_connection.atom("TIMESTAMP")),
            long(m_connection.atom("MULTIPLE")) };
        for (const Offer &offer : m_offers)
            atoms.push_back(long(m_connection.atom(offer.target.constData())));
        XChangeProperty(display, requestor, property, XA_ATOM, 32, PropModeReplace,
            reinterpret_cast<const unsigned char *>(atoms.data()), int(atoms.size()));
        return true;
    }
    if (target == m_connection.atom("TIMESTAMP")) {
        const long time = long(m_acquisitionTime);
        XChangeProperty(display, requestor, property, XA_INTEGER, 32, PropModeReplace,
            reinterpret_cast<const unsigned char *>(&time), 1);
        return true;
    }
    if (target == m_connection.atom("MULTIPLE"))
        return allowMultiple && convertMultiple(requestor, property);

    const auto payload = this->payload(m_connection.atomName(target));
    if (!payload)
        return false;
    const Atom type = m_connection.atom(payload->type.constData());
    if (payload->bytes.size() <= m_incrementSize) {
        XChangeProperty(display, requestor, property, type, 8, PropModeReplace,
            reinterpret_cast<const unsigned char *>(payload->bytes.constData()), int(payload->bytes.size()));
        return true;
    }
    // Large data goes in pieces: announce the size, then send one piece each
    // time the requestor deletes the property.
    // Our own interest in the requestor's window (its focus, for one) stays
    // and comes back unchanged once the transfer is over.
    long previousMask = NoEventMask;
    if (requestor != m_connection.helperWindow()) {
        XWindowAttributes attributes {};
        if (!XGetWindowAttributes(display, requestor, &attributes))
            return false;
        previousMask = attributes.your_event_mask;
        XSelectInput(display, requestor, previousMask | PropertyChangeMask);
    }
    const long size = long(payload->bytes.size());
    XChangeProperty(display, requestor, property, m_connection.atom("INCR"), 32, PropModeReplace,
        reinterpret_cast<const unsigned char *>(&size), 1);
    m_transfers.push_back(Transfer {
        requestor, property, type, payload->bytes, 0, previousMask, std::chrono::steady_clock::now() });
    return true;
}

bool X11SelectionOwner::convertMultiple(Window requestor, Atom property)
{
    Display *display = m_connection.display();
    Atom type = None;
    int format = 0;
    unsigned long itemCount = 0;
    unsigned long bytesAfter = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, requestor, property, 0, 1024, False, AnyPropertyType, &type, &format,
            &itemCount, &bytesAfter, &data)
            != Success
        || !data)
        return false;
    std::vector<long> pairs(reinterpret_cast<long *>(data), reinterpret_cast<long *>(data) + itemCount);
    XFree(data);
    if (format != 32 || pairs.size() % 2 != 0)
        return false;
    for (std::size_t index = 0; index + 1 < pairs.size(); index += 2) {
        if (!convert(requestor, Atom(pairs[index]), Atom(pairs[index + 1]), false))
            pairs[index] = long(None);
    }
    XChangeProperty(display, requestor, property, type, 32, PropModeReplace,
        reinterpret_cast<const unsigned char *>(pairs.data()), int(pairs.size()));
    return true;
}

void X11SelectionOwner::continueTransfer(Window requestor, Atom property)
{
    const auto found = std::find_if(m_transfers.begin(), m_transfers.end(), [&](const Transfer &transfer) {
        return transfer.requestor == requestor && transfer.property == property;
    });
    if (found == m_transfers.end())
        return;
    X11ErrorTrap trap(m_connection);
    Transfer &transfer = *found;
    const qsizetype length = qMin(m_incrementSize, transfer.bytes.size() - transfer.offset);
    // The last piece is empty, which tells the requestor the data is complete.
    XChangeProperty(m_connection.display(), requestor, property, transfer.type, 8, PropModeReplace,
        reinterpret_cast<const unsigned char *>(transfer.bytes.constData() + transfer.offset), int(length));
    transfer.offset += length;
    transfer.lastActivity = std::chrono::steady_clock::now();
    const bool finished = length == 0;
    const bool failed = trap.sync() != 0;
    if (finished || failed) {
        const long previousMask = transfer.previousMask;
        m_transfers.erase(found);
        const bool requestorStillReceiving = std::any_of(m_transfers.begin(), m_transfers.end(),
            [requestor](const Transfer &other) { return other.requestor == requestor; });
        if (!requestorStillReceiving && !failed && requestor != m_connection.helperWindow())
            XSelectInput(m_connection.display(), requestor, previousMask);
    }
}

void X11SelectionOwner::dropStaleTransfers()
{
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(m_transfers,
        [now](const Transfer &transfer) { return now - transfer.lastActivity > abandonedTransferAge; });
}

} // namespace tovra
