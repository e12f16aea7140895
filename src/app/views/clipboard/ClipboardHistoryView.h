#pragma once

#include "app/data/ObservationModeStatus.h"
#include "app/model/TovraAppModelState.h"

#include <QDateTime>
#include <QUuid>
#include <QWidget>

#include <optional>

class QStackedLayout;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

class ClipboardHistoryList;
class ClipboardHistoryListModel;
class ContentUnavailableView;

// Why the history is empty and what brings copies into it, by the state of
// pausing and observation.
QString emptyHistoryDescription(bool isPaused, ObservationModeStatus status, bool isFollowingPasteboard);

// The copy history: the list of history items (selection, paste on Return or
// double click, a context menu per row), or, while the history holds nothing,
// a placeholder that says why. The selection shown is always the model's.
class ClipboardHistoryView : public QWidget {
    Q_OBJECT

public:
    explicit ClipboardHistoryView(TovraAppModel &model, QWidget *parent = nullptr);

    // The "now" the rows tell their capture times against; repaints them.
    void setRelativeTimeReference(const QDateTime &reference);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onModelChanged(TovraAppModelField field);
    void showHistoryOrPlaceholder();
    void refreshPlaceholder();
    void showModelSelection();
    void followSelectionChange();
    void requestRow(const QModelIndex &index);
    void pasteRow(const QModelIndex &index);
    void showContextMenu(const QPoint &position);

    TovraAppModel &m_model;
    ClipboardHistoryListModel *m_items;
    ClipboardHistoryList *m_list;
    ContentUnavailableView *m_placeholder;
    QStackedLayout *m_stack;
    // The selection as last seen, to tell a change from a repeat.
    std::optional<QUuid> m_seenSelection;
};

} // namespace tovra::app::views
