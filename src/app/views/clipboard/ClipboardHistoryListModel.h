#pragma once

#include "app/model/TovraAppModelState.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QHash>
#include <QPixmap>

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// The copy history as a list for a view: one row per history item, in the
// model's order, read straight from the model's published items. It adds
// only what a row needs to be drawn: its words, whether it is the item on
// the pasteboard, and the decoded thumbnail.
class ClipboardHistoryListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        ItemIdRole = Qt::UserRole + 1,
        IsImageRole,
        IsCurrentRole,
        MetadataRole,
        // The source's name, with which the metadata line begins.
        SourceNameRole,
        SymbolNameRole,
        // A QPixmap, null when the image has no thumbnail that decodes.
        ThumbnailRole,
    };

    explicit ClipboardHistoryListModel(TovraAppModel &model, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The history item of a row, or null outside the list.
    const SessionClipboardItem *item(int row) const;
    // The row of the item with that identifier, or -1.
    int rowOf(const QUuid &id) const;

    // The "now" the capture times are told against; the rows' words follow.
    void setRelativeTimeReference(const QDateTime &reference);

private:
    void onModelChanged(TovraAppModelField field);
    void announceAllRowsChanged(const QList<int> &roles);
    QPixmap thumbnail(const SessionClipboardItem &item) const;

    TovraAppModel &m_model;
    QDateTime m_reference;
    // Decoded once per image content: drawing must not decode on every paint.
    mutable QHash<QString, QPixmap> m_thumbnails;
};

} // namespace tovra::app::views
