#include "app/views/clipboard/ClipboardHistoryList.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace tovra::app::views {

ClipboardHistoryList::ClipboardHistoryList(QWidget *parent)
    : QListView(parent)
{
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(true);
}

QItemSelectionModel::SelectionFlags ClipboardHistoryList::selectionCommand(
    const QModelIndex &index, const QEvent *event) const
{
    // A press or an arrow key names the row the user wants; programmatic
    // current-index changes (event null) and releases or drags name none.
    if (index.isValid() && event
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)) {
        emit const_cast<ClipboardHistoryList *>(this)->rowRequested(index);
    }
    return QItemSelectionModel::NoUpdate;
}

void ClipboardHistoryList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit pasteSelectedRequested();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void ClipboardHistoryList::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        emit pasteRequested(index);
        event->accept();
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

} // namespace tovra::app::views
