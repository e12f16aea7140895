#pragma once

#include <QListView>

namespace tovra::app::views {

// The copy history's list view. It never changes its own selection: a click
// or an arrow key only asks for a row (`rowRequested`), and the owner shows
// whatever selection the model then publishes. Return and a double click
// ask for a paste; a single click never does, whatever the style's idea of
// activation on a single click.
class ClipboardHistoryList : public QListView {
    Q_OBJECT

public:
    explicit ClipboardHistoryList(QWidget *parent = nullptr);

signals:
    void rowRequested(const QModelIndex &index);
    // Return: paste whichever item is selected.
    void pasteSelectedRequested();
    void pasteRequested(const QModelIndex &index);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex &index, const QEvent *event = nullptr) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace tovra::app::views
