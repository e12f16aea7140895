#pragma once

#include <QObject>
#include <QPersistentModelIndex>

class QListView;
class QToolButton;

namespace tovra::app::views {

class RecordsListModel;

// The open and delete buttons of the current record row as real controls:
// the keyboard reaches them with Tab from the list, and assistive tools find
// them by their names ("打开来源：…", "查看本机溯源记录", "删除来源为 … 的记录").
// They lie exactly over the buttons the row delegate draws, which the mouse
// uses on the other rows. They are children of `host`, beside the list: an
// assistive tool sees only the rows inside a list, never widgets laid over
// its viewport.
class RecordRowButtons : public QObject {
    Q_OBJECT

public:
    RecordRowButtons(QListView *list, RecordsListModel *records, QWidget *host);

signals:
    void openRequested(const QModelIndex &index);
    void deleteRequested(const QModelIndex &index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Moves the buttons over the row and names them for its record; hides
    // them while there is no row or it is scrolled out of sight.
    void follow();
    // A row reports the focus for as long as it is the list's current row;
    // the list gives its current row up while the focus is elsewhere (on
    // these buttons, say) and takes it back when the focus returns.
    void lendCurrentRow();
    void takeBackCurrentRow();

    QListView *m_list;
    // Kept apart from the list: while the list is destroyed, its viewport's
    // last events still reach the filter, and the list is no scroll area
    // any more by then.
    QWidget *m_viewport;
    RecordsListModel *m_records;
    QWidget *m_host;
    QToolButton *m_open;
    QToolButton *m_delete;
    QPersistentModelIndex m_row;
};

} // namespace tovra::app::views
