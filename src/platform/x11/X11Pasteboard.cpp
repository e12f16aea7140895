#include "platform/x11/X11Pasteboard.h"

#include "platform/PasteboardType.h"
#include "platform/x11/X11ClipboardTargets.h"
#include "platform/x11/X11Connection.h"

#include <QBuffer>
#include <QImage>

#include <memory>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace tovra {

namespace {

using Offer = X11SelectionOwner::Offer;
using Payload = X11SelectionOwner::Payload;

void appendTextOffers(QList<Offer> &offers, const QByteArray &utf8)
{
    for (const QByteArray &target : X11ClipboardTargets::targetsForType(PasteboardType::plainText)) {
        offers.append(Offer { target, [target, utf8]() -> std::optional<Payload> {
                                 const auto encoded = X11ClipboardTargets::encodeText(target, utf8);
                                 if (!encoded)
                                     return std::nullopt;
                                 return Payload { encoded->type, encoded->bytes };
                             } });
    }
}

Offer rawOffer(const QByteArray &target, const QByteArray &bytes)
{
    return Offer { target, [target, bytes] { return std::optional<Payload>(Payload { target, bytes }); } };
}

// Many applications paste only PNG; an image written in another type is
// offered as PNG too, converted on the first request.
Offer pngConversionOffer(const QByteArray &source, const QString &sourceType)
{
    auto converted = std::make_shared<std::optional<QByteArray>>();
    const QByteArray format = sourceType.section(QLatin1Char('/'), 1).toLatin1();
    return Offer { PasteboardType::png.toLatin1(), [converted, source, format]() -> std::optional<Payload> {
                      if (!converted->has_value()) {
                          QImage image;
                          if (!image.loadFromData(source, format.constData()))
                              return std::nullopt;
                          QByteArray png;
                          QBuffer buffer(&png);
                          buffer.open(QIODevice::WriteOnly);
                          if (!image.save(&buffer, "PNG"))
                              return std::nullopt;
                          *converted = png;
                      }
                      return Payload { PasteboardType::png.toLatin1(), **converted };
                  } };
}

} // namespace

X11Pasteboard::X11Pasteboard(
    X11Connection &connection, std::chrono::milliseconds transferTimeout, qsizetype maximumTransferBytes)
    : m_connection(connection)
    , m_clipboard(connection.atom("CLIPBOARD"))
    , m_reader(connection, m_clipboard, transferTimeout, maximumTransferBytes)
    , m_owner(connection, m_clipboard, incrementSize)
{
    if (!m_connection.isUsable())
        return;
    Display *display = m_connection.display();
    m_detachedReader = std::make_shared<X11DetachedSelectionReader>(QByteArray(XDisplayString(display)),
        QByteArrayLiteral("CLIPBOARD"), transferTimeout, maximumTransferBytes);
    int errorBase = 0;
    int major = 2;
    int minor = 0;
    if (XFixesQueryExtension(display, &m_xfixesEventBase, &errorBase)
        && XFixesQueryVersion(display, &major, &minor))
        XFixesSelectSelectionInput(display, m_connection.helperWindow(), m_clipboard,
            XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                | XFixesSelectionClientCloseNotifyMask);
    else
        m_xfixesEventBase = -1;
    m_lastSeenOwner = XGetSelectionOwner(display, m_clipboard);
    m_listener = m_connection.addEventListener([this](XEvent &event) { handleEvent(event); });
}

X11Pasteboard::~X11Pasteboard()
{
    m_connection.removeEventListener(m_listener);
}

void X11Pasteboard::handleEvent(const XEvent &event) const
{
    if (m_xfixesEventBase >= 0 && event.type == m_xfixesEventBase + XFixesSelectionNotify)
        noteOwnerChange(event);
    else
        m_owner.handleEvent(event);
}

void X11Pasteboard::noteOwnerChange(const XEvent &event) const
{
    const auto &notify = reinterpret_cast<const XFixesSelectionNotifyEvent &>(event);
    if (notify.selection != m_clipboard || notify.owner == m_connection.helperWindow())
        return;
    const Time changedAt
        = notify.subtype == XFixesSetSelectionOwnerNotify ? notify.selection_timestamp : notify.timestamp;
    if (changedAt < m_lastWriteTime || changedAt < m_lastClearTime)
        return;
    if (notify.subtype == XFixesSetSelectionOwnerNotify && notify.owner == None
        && changedAt == m_lastClearTime)
        return;
    ++m_changeCount;
}

void X11Pasteboard::takeOwnerChanges() const
{
    if (!m_connection.isUsable())
        return;
    if (m_xfixesEventBase < 0) {
        const Window owner = XGetSelectionOwner(m_connection.display(), m_clipboard);
        if (owner != m_lastSeenOwner && owner != m_connection.helperWindow())
            ++m_changeCount;
        m_lastSeenOwner = owner;
        return;
    }
    // Every owner change the server made before this point is counted now,
    // not when the event loop next runs.
    XSync(m_connection.display(), False);
    const int notifyType = m_xfixesEventBase + XFixesSelectionNotify;
    const Window helper = m_connection.helperWindow();
    const auto changes = m_connection.takeQueuedEvents([=](const XEvent &event) {
        return event.type == notifyType
            || (event.type == SelectionClear && event.xselectionclear.window == helper);
    });
    for (const XEvent &event : changes)
        handleEvent(event);
}

qint64 X11Pasteboard::changeCount() const
{
    takeOwnerChanges();
    return m_changeCount;
}

bool X11Pasteboard::isOwnedByUs() const
{
    if (!m_connection.isUsable() || !m_owner.isOwner())
        return false;
    const bool owned = XGetSelectionOwner(m_connection.display(), m_clipboard) == m_connection.helperWindow();
    m_connection.scheduleDispatch();
    return owned;
}

std::optional<QList<QByteArray>> X11Pasteboard::currentTargets(bool ownedByUs) const
{
    if (ownedByUs)
        return m_owner.offeredTargets();
    return m_reader.targets();
}

Pasteboard::DetachedReader X11Pasteboard::detachedReader() const
{
    if (!m_detachedReader || isOwnedByUs())
        return {};
    return [reader = m_detachedReader](const QString &type) -> std::optional<QByteArray> {
        if (type == PasteboardType::plainText)
            return std::nullopt;
        // The targets readType() would ask for, in its order.
        const QList<QByteArray> targets = X11ClipboardTargets::targetsForType(type);
        return targets.isEmpty() ? std::nullopt : reader->read(targets);
    };
}

QStringList X11Pasteboard::types() const
{
    const auto targets = currentTargets(isOwnedByUs());
    return targets ? X11ClipboardTargets::typesForTargets(*targets) : QStringList();
}

std::optional<QByteArray> X11Pasteboard::readType(
    const QString &type, bool ownedByUs, const std::optional<QList<QByteArray>> &offered) const
{
    const bool isText = type == PasteboardType::plainText;
    for (const QByteArray &target : X11ClipboardTargets::targetsForType(type)) {
        // An owner that cannot list its targets may still deliver them.
        if (offered && !offered->contains(target))
            continue;
        std::optional<X11SelectionReader::Data> data;
        if (ownedByUs) {
            if (const auto payload = m_owner.payload(target))
                data = X11SelectionReader::Data { payload->bytes, payload->type, 8 };
        } else {
            data = m_reader.read(target);
        }
        if (!data)
            continue;
        if (!isText)
            return data->bytes;
        if (auto text = X11ClipboardTargets::decodeText(data->type, data->bytes))
            return text;
    }
    return std::nullopt;
}

std::optional<QByteArray> X11Pasteboard::data(const QString &type) const
{
    if (!m_connection.isUsable() || type.isEmpty())
        return std::nullopt;
    const bool ownedByUs = isOwnedByUs();
    return readType(type, ownedByUs, currentTargets(ownedByUs));
}

QList<PasteboardItem> X11Pasteboard::items() const
{
    if (!m_connection.isUsable() || XGetSelectionOwner(m_connection.display(), m_clipboard) == None)
        return {};
    const bool ownedByUs = isOwnedByUs();
    const auto targets = currentTargets(ownedByUs);
    // An owner that does not list its targets is asked for text at least; if
    // that fails too, the item says so and an archive of it is incomplete.
    const QStringList types = targets ? X11ClipboardTargets::typesForTargets(*targets)
                                      : QStringList { PasteboardType::plainText };
    PasteboardItem item;
    for (const QString &type : types)
        item.representations.append(PasteboardRepresentation { type, readType(type, ownedByUs, targets) });
    return { item };
}

bool X11Pasteboard::acquire(QList<Offer> offers)
{
    if (!m_connection.isUsable())
        return false;
    // Changes made before this write are counted before it, so that none of
    // them is mistaken for a change after it.
    takeOwnerChanges();
    const auto time = m_owner.acquire(std::move(offers));
    if (!time)
        return false;
    m_lastWriteTime = *time;
    ++m_changeCount;
    return true;
}

qint64 X11Pasteboard::clearContents()
{
    if (!m_connection.isUsable())
        return m_changeCount;
    takeOwnerChanges();
    const Time time = m_connection.serverTime();
    if (m_owner.isOwner())
        m_owner.release(time);
    else
        XSetSelectionOwner(m_connection.display(), m_clipboard, None, time);
    XFlush(m_connection.display());
    m_lastClearTime = time;
    return ++m_changeCount;
}

bool X11Pasteboard::writeText(const QString &text)
{
    QList<Offer> offers;
    appendTextOffers(offers, text.toUtf8());
    return acquire(std::move(offers));
}

bool X11Pasteboard::writeImage(const QByteArray &data, const QString &type)
{
    if (!PasteboardType::isImageType(type) || X11ClipboardTargets::isMetaTarget(type.toLatin1()))
        return false;
    QList<Offer> offers { rawOffer(type.toLatin1(), data) };
    if (type.compare(PasteboardType::png, Qt::CaseInsensitive) != 0)
        offers.append(pngConversionOffer(data, type));
    return acquire(std::move(offers));
}

bool X11Pasteboard::writeItems(const QList<PasteboardItem> &items)
{
    // An X selection holds a single item.
    if (items.size() > 1)
        return false;
    QList<Offer> offers;
    if (!items.isEmpty()) {
        for (const PasteboardRepresentation &representation : items.first().representations) {
            if (!representation.data)
                continue;
            if (representation.type == PasteboardType::plainText) {
                appendTextOffers(offers, *representation.data);
                continue;
            }
            const QByteArray target = representation.type.toLatin1();
            if (!X11ClipboardTargets::isMetaTarget(target))
                offers.append(rawOffer(target, *representation.data));
        }
    }
    if (offers.isEmpty()) {
        clearContents();
        return m_connection.isUsable();
    }
    return acquire(std::move(offers));
}

} // namespace tovra
