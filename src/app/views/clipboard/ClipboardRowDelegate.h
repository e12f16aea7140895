#pragma once

#include <QStyledItemDelegate>

namespace tovra::app::views {

// Draws one copy-history row from the roles of ClipboardHistoryListModel: a
// thumbnail or a symbol, the one-line preview (shown on at most two lines)
// with the "当前" badge of the item on the pasteboard, and the metadata line.
class ClipboardRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace tovra::app::views
