#pragma once

#include <QColor>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <optional>

namespace tovra::app::views {

class RecordsListModel;

// Draws one record row of RecordsListModel: the confidence symbol, three
// lines (source and confidence; source app and domain, arrow, destination;
// window and paste time) and the open and delete buttons, with a hover text
// for each part. A click on a button is reported, not acted on.
class RecordRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int minimumRowHeight = 72;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
        const QModelIndex &index) override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
        const QModelIndex &index) override;

    // Where a row's open and delete buttons lie within `row`.
    static QRect openButtonRect(const QRect &row);
    static QRect deleteButtonRect(const QRect &row);
    // The symbols of those buttons, in the accent and red colours, or all in
    // `selectedText` on a selected row.
    static constexpr int buttonSymbolSide = 14;
    static QPixmap openSymbol(const std::optional<QColor> &selectedText);
    static QPixmap deleteSymbol(const std::optional<QColor> &selectedText);

signals:
    void openRequested(const QModelIndex &index);
    void deleteRequested(const QModelIndex &index);
};

} // namespace tovra::app::views
