#include "platform/x11/X11SelectionReader.h"

#include "platform/x11/X11Connection.h"

#include <climits>
#include <cstdint>

#include <X11/Xlib.h>

namespace tovra {

namespace {

// Property names used for transfers in turn, so that a late answer to an
// abandoned request is never taken for the answer to a new one.
constexpr unsigned transferPropertyCount = 16;

class PropertyBytes {
public:
    ~PropertyBytes()
    {
        if (data)
            XFree(data);
    }
    unsigned char *data = nullptr;
};

// Xlib hands 16- and 32-bit items over as shorts and longs; the data keeps
// them packed the way they travelled.
QByteArray packedItems(const unsigned char *data, int format, unsigned long itemCount)
{
    QByteArray bytes;
    if (format == 8) {
        bytes = QByteArray(reinterpret_cast<const char *>(data), qsizetype(itemCount));
    } else if (format == 16) {
        const auto *items = reinterpret_cast<const short *>(data);
        for (unsigned long index = 0; index < itemCount; ++index) {
            const auto value = std::uint16_t(items[index]);
            bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
        }
    } else if (format == 32) {
        const auto *items = reinterpret_cast<const long *>(data);
        for (unsigned long index = 0; index < itemCount; ++index) {
            const auto value = std::uint32_t(items[index]);
            bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
        }
    }
    return bytes;
}

} // namespace

X11SelectionReader::X11SelectionReader(
    X11Connection &connection, Atom selection, std::chrono::milliseconds timeout, qsizetype maximumBytes)
    : m_connection(connection)
    , m_selection(selection)
    , m_timeout(timeout)
    , m_maximumBytes(maximumBytes)
{
}

std::optional<QList<QByteArray>> X11SelectionReader::targets()
{
    const auto answer = read(QByteArrayLiteral("TARGETS"));
    if (!answer || answer->format != 32)
        return std::nullopt;
    QList<QByteArray> names;
    const auto *atoms = reinterpret_cast<const std::uint32_t *>(answer->bytes.constData());
    const qsizetype count = answer->bytes.size() / qsizetype(sizeof(std::uint32_t));
    for (qsizetype index = 0; index < count; ++index) {
        const QByteArray name = m_connection.atomName(Atom(atoms[index]));
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

std::optional<X11SelectionReader::Data> X11SelectionReader::read(const QByteArray &target)
{
    if (!m_connection.isUsable())
        return std::nullopt;
    Display *display = m_connection.display();
    if (XGetSelectionOwner(display, m_selection) == None)
        return std::nullopt;

    const Window window = m_connection.helperWindow();
    const Atom targetAtom = m_connection.atom(target.constData());
    const Atom property = nextProperty();
    XDeleteProperty(display, window, property);
    XConvertSelection(display, m_selection, targetAtom, property, window, CurrentTime);

    const Atom selection = m_selection;
    const auto notification = m_connection.waitForEvent(
        [=](const XEvent &event) {
            return event.type == SelectionNotify && event.xselection.requestor == window
                && event.xselection.selection == selection && event.xselection.target == targetAtom
                && (event.xselection.property == property || event.xselection.property == None);
        },
        m_timeout);
    if (!notification || notification->xselection.property == None)
        return std::nullopt;

    PropertyState state = PropertyState::read;
    auto data = readProperty(property, state);
    const bool isIncremental = state == PropertyState::incremental;
    if (isIncremental)
        return readIncrementally(property);
    return data;
}

std::optional<X11SelectionReader::Data> X11SelectionReader::readProperty(Atom property, PropertyState &state)
{
    Display *display = m_connection.display();
    Atom type = None;
    int format = 0;
    unsigned long itemCount = 0;
    unsigned long bytesAfter = 0;
    PropertyBytes bytes;
    const long longLength = long(qMin<qsizetype>(m_maximumBytes / 4 + 1, LONG_MAX / 4));
    const int status = XGetWindowProperty(display, m_connection.helperWindow(), property, 0, longLength, True,
        AnyPropertyType, &type, &format, &itemCount, &bytesAfter, &bytes.data);
    state = PropertyState::read;
    if (status != Success)
        return std::nullopt;
    if (type == None) {
        state = PropertyState::missing;
        return std::nullopt;
    }
    if (type == m_connection.atom("INCR")) {
        // Reading deleted the property, which tells the owner to start.
        state = PropertyState::incremental;
        return std::nullopt;
    }
    if (bytesAfter > 0) {
        XDeleteProperty(display, m_connection.helperWindow(), property);
        return std::nullopt;
    }
    Data data { packedItems(bytes.data, format, itemCount), m_connection.atomName(type), format };
    if (data.bytes.size() > m_maximumBytes)
        return std::nullopt;
    return data;
}

std::optional<X11SelectionReader::Data> X11SelectionReader::readIncrementally(Atom property)
{
    const Window window = m_connection.helperWindow();
    Data whole;
    bool typeKnown = false;
    for (;;) {
        const auto chunkReady = m_connection.waitForEvent(
            [=](const XEvent &event) {
                return event.type == PropertyNotify && event.xproperty.window == window
                    && event.xproperty.atom == property && event.xproperty.state == PropertyNewValue;
            },
            m_timeout);
        if (!chunkReady)
            return std::nullopt;
        PropertyState state = PropertyState::read;
        const auto chunk = readProperty(property, state);
        // The notification of an earlier value (the INCR announcement, a
        // piece read before its notification came) finds nothing new.
        if (state == PropertyState::missing)
            continue;
        if (!chunk)
            return std::nullopt;
        if (!typeKnown) {
            whole.type = chunk->type;
            whole.format = chunk->format;
            typeKnown = true;
        }
        // A chunk of length zero ends the transfer.
        if (chunk->bytes.isEmpty())
            return whole;
        whole.bytes.append(chunk->bytes);
        if (whole.bytes.size() > m_maximumBytes)
            return std::nullopt;
    }
}

Atom X11SelectionReader::nextProperty()
{
    const QByteArray name
        = "TOVRA_SELECTION_" + QByteArray::number(m_requestNumber++ % transferPropertyCount);
    return m_connection.atom(name.constData());
}

} // namespace tovra
