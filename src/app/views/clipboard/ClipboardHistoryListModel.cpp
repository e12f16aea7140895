#include "app/views/clipboard/ClipboardHistoryListModel.h"

#include "app/model/TovraAppModel.h"
#include "app/views/clipboard/ClipboardRowText.h"

#include <QSet>

namespace tovra::app::views {

ClipboardHistoryListModel::ClipboardHistoryListModel(TovraAppModel &model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
    , m_reference(model.now())
{
    connect(&m_model, &TovraAppModel::changed, this, &ClipboardHistoryListModel::onModelChanged);
}

int ClipboardHistoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_model.state().clipboardItems.size());
}

const SessionClipboardItem *ClipboardHistoryListModel::item(int row) const
{
    const QList<SessionClipboardItem> &items = m_model.state().clipboardItems;
    return row >= 0 && row < items.size() ? &items.at(row) : nullptr;
}

int ClipboardHistoryListModel::rowOf(const QUuid &id) const
{
    const QList<SessionClipboardItem> &items = m_model.state().clipboardItems;
    for (int row = 0; row < items.size(); ++row) {
        if (items.at(row).id == id)
            return row;
    }
    return -1;
}

QVariant ClipboardHistoryListModel::data(const QModelIndex &index, int role) const
{
    const SessionClipboardItem *entry = item(index.row());
    if (!entry)
        return QVariant();
    const bool isCurrent = m_model.state().currentClipboardItemID == entry->id;
    switch (role) {
    case Qt::DisplayRole:
        return clipboardRow::previewText(*entry);
    case Qt::AccessibleTextRole:
        return clipboardRow::accessibilitySummary(*entry, isCurrent, m_reference);
    case Qt::AccessibleDescriptionRole:
        return QStringLiteral("双击或按 Return 回粘并记录 App 级流向；上下文菜单可仅设为当前剪贴板");
    case ItemIdRole:
        return entry->id;
    case IsImageRole:
        return entry->payload.kind() == SessionClipboardPayload::Kind::image;
    case IsCurrentRole:
        return isCurrent;
    case MetadataRole:
        return clipboardRow::metadataLine(*entry, m_reference);
    case SourceNameRole:
        return clipboardRow::sourceName(entry->source);
    case SymbolNameRole:
        return clipboardRow::textSymbolName(entry->source);
    case ThumbnailRole:
        return thumbnail(*entry);
    default:
        return QVariant();
    }
}

QPixmap ClipboardHistoryListModel::thumbnail(const SessionClipboardItem &entry) const
{
    const SessionClipboardImage *image = entry.payload.asImage();
    if (!image || !image->thumbnailData())
        return QPixmap();
    const auto cached = m_thumbnails.constFind(image->sessionFingerprint());
    if (cached != m_thumbnails.constEnd())
        return *cached;
    // Only the small rendering made at capture, never the full image.
    QPixmap decoded;
    decoded.loadFromData(*image->thumbnailData());
    m_thumbnails.insert(image->sessionFingerprint(), decoded);
    return decoded;
}

void ClipboardHistoryListModel::setRelativeTimeReference(const QDateTime &reference)
{
    m_reference = reference;
    announceAllRowsChanged({ MetadataRole, Qt::AccessibleTextRole });
}

void ClipboardHistoryListModel::onModelChanged(TovraAppModelField field)
{
    switch (field) {
    case TovraAppModelField::clipboardItems: {
        beginResetModel();
        QSet<QString> kept;
        for (const SessionClipboardItem &entry : m_model.state().clipboardItems) {
            if (const SessionClipboardImage *image = entry.payload.asImage())
                kept.insert(image->sessionFingerprint());
        }
        m_thumbnails.removeIf([&kept](const auto &cached) { return !kept.contains(cached.key()); });
        endResetModel();
        break;
    }
    case TovraAppModelField::currentClipboardItemID:
        announceAllRowsChanged({ IsCurrentRole, Qt::AccessibleTextRole });
        break;
    default:
        break;
    }
}

void ClipboardHistoryListModel::announceAllRowsChanged(const QList<int> &roles)
{
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), roles);
}

} // namespace tovra::app::views
