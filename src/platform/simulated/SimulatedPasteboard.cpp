#include "platform/simulated/SimulatedPasteboard.h"

#include "platform/PasteboardType.h"

namespace tovra {

namespace {

PasteboardItem itemOf(const QString &type, const QByteArray &data)
{
    return PasteboardItem { { PasteboardRepresentation { type, data } } };
}

} // namespace

QStringList SimulatedPasteboard::types() const
{
    QStringList types;
    if (!m_items.isEmpty()) {
        for (const PasteboardRepresentation &representation : m_items.first().representations)
            types.append(representation.type);
    }
    return types;
}

std::optional<QByteArray> SimulatedPasteboard::data(const QString &type) const
{
    for (const PasteboardItem &item : m_items) {
        for (const PasteboardRepresentation &representation : item.representations) {
            if (representation.type.compare(type, Qt::CaseInsensitive) == 0) {
                // A copy: the read hook may replace the contents under us.
                const PasteboardRepresentation found = representation;
                return deliver(found);
            }
        }
    }
    return std::nullopt;
}

QList<PasteboardItem> SimulatedPasteboard::items() const
{
    // Copy first: the read hook may replace the contents while we read.
    const QList<PasteboardItem> stored = m_items;
    QList<PasteboardItem> delivered;
    for (const PasteboardItem &item : stored) {
        PasteboardItem copy;
        for (const PasteboardRepresentation &representation : item.representations)
            copy.representations.append(
                PasteboardRepresentation { representation.type, deliver(representation) });
        delivered.append(copy);
    }
    return delivered;
}

qint64 SimulatedPasteboard::clearContents()
{
    replace({});
    return m_changeCount;
}

bool SimulatedPasteboard::writeText(const QString &text)
{
    if (refuse(false))
        return false;
    replace({ itemOf(PasteboardType::plainText, text.toUtf8()) });
    return true;
}

bool SimulatedPasteboard::writeImage(const QByteArray &data, const QString &type)
{
    if (refuse(false))
        return false;
    replace({ itemOf(type, data) });
    return true;
}

bool SimulatedPasteboard::writeItems(const QList<PasteboardItem> &items)
{
    if (refuse(true))
        return false;
    QList<PasteboardItem> written;
    for (const PasteboardItem &item : items) {
        PasteboardItem copy;
        for (const PasteboardRepresentation &representation : item.representations) {
            if (representation.data)
                copy.representations.append(representation);
        }
        if (!copy.representations.isEmpty())
            written.append(copy);
    }
    replace(written);
    return true;
}

void SimulatedPasteboard::setContents(QList<PasteboardItem> items)
{
    replace(std::move(items));
}

void SimulatedPasteboard::setText(const QString &text)
{
    replace({ itemOf(PasteboardType::plainText, text.toUtf8()) });
}

void SimulatedPasteboard::setImage(const QByteArray &data, const QString &type)
{
    replace({ itemOf(type, data) });
}

void SimulatedPasteboard::setUndeliverable(const QString &type, bool undeliverable)
{
    if (undeliverable)
        m_undeliverable.insert(type.toLower());
    else
        m_undeliverable.remove(type.toLower());
}

std::optional<QByteArray> SimulatedPasteboard::deliver(const PasteboardRepresentation &representation) const
{
    if (m_readHook)
        m_readHook(representation.type);
    if (m_undeliverable.contains(representation.type.toLower()))
        return std::nullopt;
    return representation.data;
}

void SimulatedPasteboard::replace(QList<PasteboardItem> items)
{
    m_items = std::move(items);
    ++m_changeCount;
}

bool SimulatedPasteboard::refuse(bool isItemsWrite)
{
    const bool refused = m_writeRefusal == WriteRefusal::everything
        || (m_writeRefusal == WriteRefusal::textAndImages && !isItemsWrite);
    if (refused)
        replace({});
    return refused;
}

} // namespace tovra
