#pragma once

#include "app/data/ObservationModeStatus.h"
#include "app/model/TovraAppModelState.h"

#include <QDateTime>
#include <QWidget>

class QListView;
class QScrollArea;
class QStackedLayout;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

class ContentUnavailableView;
class RecordsListModel;

// What an empty ledger suggests, by how pastes are observed.
QString emptyRecordsDescription(ObservationModeStatus status);

// The records section's content: while the first load runs, a progress
// note; with nothing to show, a placeholder that tells an empty ledger from
// filters that match nothing; otherwise the filtered records, newest first.
// A row opens its source (its button, Return) and asks to be deleted (its
// button, Delete); the confirmation is the panel's.
class RecordsView : public QWidget {
    Q_OBJECT

public:
    explicit RecordsView(TovraAppModel &model, QWidget *parent = nullptr);

    // The "now" the rows tell their paste times against; repaints them.
    void setRelativeTimeReference(const QDateTime &reference);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildLoadingNote();
    void onModelChanged(TovraAppModelField field);
    void showState();
    void openRow(const QModelIndex &index);
    void deleteRow(const QModelIndex &index);
    void showContextMenu(const QPoint &position);

    TovraAppModel &m_model;
    RecordsListModel *m_records;
    QListView *m_list;
    ContentUnavailableView *m_placeholder;
    QScrollArea *m_placeholderScroll;
    QWidget *m_loading;
    QStackedLayout *m_stack;
};

} // namespace tovra::app::views
