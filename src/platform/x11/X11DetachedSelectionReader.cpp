#include "platform/x11/X11DetachedSelectionReader.h"

#include <QHash>
#include <QSet>

#include <climits>
#include <cstdlib>
#include <cstring>

#include <poll.h>
#include <xcb/xcb.h>

namespace tovra {

namespace {

using Clock = std::chrono::steady_clock;

// Property names used for transfers in turn, so that a late answer to an
// abandoned request is never taken for the answer to a new one.
constexpr unsigned transferPropertyCount = 16;

template <typename T> struct FreeDeleter {
    void operator()(T *pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter<T>>;

} // namespace

struct X11DetachedSelectionReader::Connection {
    ~Connection()
    {
        if (window != XCB_NONE)
            xcb_destroy_window(xcb, window);
        xcb_disconnect(xcb);
    }

    xcb_atom_t atom(const QByteArray &name)
    {
        const auto known = atoms.constFind(name);
        if (known != atoms.cend())
            return *known;
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            xcb, xcb_intern_atom(xcb, 0, uint16_t(name.size()), name.constData()), nullptr));
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        if (atom != XCB_NONE)
            atoms.insert(name, atom);
        return atom;
    }

    // The next event that `matches`, waiting until `deadline` at most;
    // other events are of abandoned transfers and are dropped.
    template <typename Matches>
    Reply<xcb_generic_event_t> waitFor(Matches matches, Clock::time_point deadline)
    {
        for (;;) {
            while (Reply<xcb_generic_event_t> event { xcb_poll_for_event(xcb) }) {
                if (matches(*event))
                    return event;
            }
            if (xcb_connection_has_error(xcb))
                return nullptr;
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return nullptr;
            pollfd descriptor { xcb_get_file_descriptor(xcb), POLLIN, 0 };
            ::poll(&descriptor, 1, int(std::min<long long>(left.count(), INT_MAX)));
        }
    }

    xcb_connection_t *xcb = nullptr;
    xcb_window_t window = XCB_NONE;
    QHash<QByteArray, xcb_atom_t> atoms;
    unsigned requestNumber = 0;
};

X11DetachedSelectionReader::X11DetachedSelectionReader(
    QByteArray displayName, QByteArray selection, std::chrono::milliseconds timeout, qsizetype maximumBytes)
    : m_displayName(std::move(displayName))
    , m_selection(std::move(selection))
    , m_timeout(timeout)
    , m_maximumBytes(maximumBytes)
{
}

X11DetachedSelectionReader::~X11DetachedSelectionReader() = default;

std::optional<QByteArray> X11DetachedSelectionReader::read(const QList<QByteArray> &targets)
{
    const std::lock_guard guard(m_mutex);
    Connection *const open = connection();
    if (!open)
        return std::nullopt;
    for (const QByteArray &target : offeredAmong(*open, targets).value_or(targets)) {
        if (auto bytes = readTarget(*open, target))
            return bytes;
    }
    return std::nullopt;
}

X11DetachedSelectionReader::Connection *X11DetachedSelectionReader::connection()
{
    if (m_connection && xcb_connection_has_error(m_connection->xcb))
        m_connection.reset();
    if (!m_connection) {
        auto connection = std::make_unique<Connection>();
        int screenNumber = 0;
        connection->xcb
            = xcb_connect(m_displayName.isEmpty() ? nullptr : m_displayName.constData(), &screenNumber);
        if (xcb_connection_has_error(connection->xcb))
            return nullptr;
        xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection->xcb));
        for (int index = 0; index < screenNumber && screen.rem > 0; ++index)
            xcb_screen_next(&screen);
        if (screen.rem == 0)
            return nullptr;
        // An unmapped window that only receives the transfer's properties.
        connection->window = xcb_generate_id(connection->xcb);
        const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        const xcb_void_cookie_t created = xcb_create_window_checked(connection->xcb, XCB_COPY_FROM_PARENT,
            connection->window, screen.data->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
            XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &eventMask);
        if (Reply<xcb_generic_error_t> error { xcb_request_check(connection->xcb, created) }) {
            connection->window = XCB_NONE;
            return nullptr;
        }
        m_connection = std::move(connection);
    }
    return m_connection.get();
}

std::optional<QList<QByteArray>> X11DetachedSelectionReader::offeredAmong(
    Connection &connection, const QList<QByteArray> &targets)
{
    const std::optional<QByteArray> listed = readTarget(connection, QByteArrayLiteral("TARGETS"));
    // A list of atoms, 32 bits each.
    if (!listed || listed->size() % qsizetype(sizeof(xcb_atom_t)) != 0)
        return std::nullopt;
    QSet<xcb_atom_t> atoms;
    for (qsizetype at = 0; at < listed->size(); at += qsizetype(sizeof(xcb_atom_t))) {
        xcb_atom_t atom = XCB_NONE;
        std::memcpy(&atom, listed->constData() + at, sizeof atom);
        atoms.insert(atom);
    }
    QList<QByteArray> offered;
    for (const QByteArray &target : targets) {
        if (atoms.contains(connection.atom(target)))
            offered.append(target);
    }
    return offered;
}

std::optional<QByteArray> X11DetachedSelectionReader::readTarget(
    Connection &connection, const QByteArray &target)
{
    xcb_connection_t *xcb = connection.xcb;
    const xcb_window_t window = connection.window;
    const xcb_atom_t selection = connection.atom(m_selection);
    const xcb_atom_t targetAtom = connection.atom(target);
    const xcb_atom_t incremental = connection.atom(QByteArrayLiteral("INCR"));
    const xcb_atom_t property = connection.atom(
        "TOVRA_DETACHED_SELECTION_" + QByteArray::number(connection.requestNumber++ % transferPropertyCount));
    if (selection == XCB_NONE || targetAtom == XCB_NONE || incremental == XCB_NONE || property == XCB_NONE)
        return std::nullopt;

    xcb_delete_property(xcb, window, property);
    xcb_convert_selection(xcb, window, selection, targetAtom, property, XCB_CURRENT_TIME);
    xcb_flush(xcb);
    const auto notified = connection.waitFor(
        [&](const xcb_generic_event_t &event) {
            if ((event.response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                return false;
            const auto &notify = reinterpret_cast<const xcb_selection_notify_event_t &>(event);
            return notify.requestor == window && notify.selection == selection && notify.target == targetAtom
                && (notify.property == property || notify.property == XCB_NONE);
        },
        Clock::now() + m_timeout);
    if (!notified || reinterpret_cast<const xcb_selection_notify_event_t &>(*notified).property == XCB_NONE)
        return std::nullopt;

    // Reads the property and deletes it, which asks an incremental owner for
    // the next piece. None when it is too large; its type is XCB_NONE when
    // there was no property.
    const uint32_t longLength = uint32_t(std::min<qsizetype>(m_maximumBytes / 4 + 1, UINT32_MAX / 4));
    const auto take = [&]() -> Reply<xcb_get_property_reply_t> {
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(xcb,
            xcb_get_property(xcb, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, longLength), nullptr));
        if (reply && reply->bytes_after > 0) {
            xcb_delete_property(xcb, window, property);
            return nullptr;
        }
        return reply;
    };

    Reply<xcb_get_property_reply_t> first = take();
    if (!first || first->type == XCB_NONE)
        return std::nullopt;
    if (first->type != incremental) {
        if (xcb_get_property_value_length(first.get()) > m_maximumBytes)
            return std::nullopt;
        return QByteArray(static_cast<const char *>(xcb_get_property_value(first.get())),
            xcb_get_property_value_length(first.get()));
    }

    xcb_flush(xcb);
    QByteArray whole;
    for (;;) {
        const auto pieceReady = connection.waitFor(
            [&](const xcb_generic_event_t &event) {
                if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto &notify = reinterpret_cast<const xcb_property_notify_event_t &>(event);
                return notify.window == window && notify.atom == property
                    && notify.state == XCB_PROPERTY_NEW_VALUE;
            },
            Clock::now() + m_timeout);
        if (!pieceReady)
            return std::nullopt;
        Reply<xcb_get_property_reply_t> piece = take();
        if (!piece)
            return std::nullopt;
        // The notification of an earlier value (the announcement, a piece
        // read before its notification came) finds nothing new.
        if (piece->type == XCB_NONE)
            continue;
        xcb_flush(xcb);
        const int length = xcb_get_property_value_length(piece.get());
        // A piece of length zero ends the transfer.
        if (length == 0)
            return whole;
        if (whole.size() + length > m_maximumBytes)
            return std::nullopt;
        whole.append(static_cast<const char *>(xcb_get_property_value(piece.get())), length);
    }
}

} // namespace tovra
