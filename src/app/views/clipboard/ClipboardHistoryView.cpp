#include "app/views/clipboard/ClipboardHistoryView.h"

#include "app/model/TovraAppModel.h"
#include "app/views/ContentUnavailableView.h"
#include "app/views/clipboard/ClipboardHistoryList.h"
#include "app/views/clipboard/ClipboardHistoryListModel.h"
#include "app/views/clipboard/ClipboardRowActions.h"
#include "app/views/clipboard/ClipboardRowDelegate.h"

#include <QMenu>
#include <QPushButton>
#include <QStackedLayout>

namespace tovra::app::views {

QString emptyHistoryDescription(bool isPaused, ObservationModeStatus status, bool isFollowingPasteboard)
{
    if (isPaused)
        return QStringLiteral("Tovra已暂停；恢复后新的文字或图片复制会进入本次会话历史。");
    if (status == ObservationModeStatus::observing)
        return QStringLiteral("在任意未排除的 App 中复制文字或图片，内容会保留在本次会话内存中。");
    if (isFollowingPasteboard)
        return QStringLiteral("复制文字或图片后会立即显示；当前可推断来源 App，但未观察标准粘贴快捷键。");
    return QStringLiteral("请在设置中开启 App 级观察并授予所需权限。");
}

ClipboardHistoryView::ClipboardHistoryView(TovraAppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_items(new ClipboardHistoryListModel(model, this))
    , m_list(new ClipboardHistoryList(this))
    , m_placeholder(new ContentUnavailableView(this))
    , m_stack(new QStackedLayout(this))
    , m_seenSelection(model.state().selectedClipboardItemID)
{
    m_list->setModel(m_items);
    m_list->setItemDelegate(new ClipboardRowDelegate(m_list));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &ClipboardHistoryList::rowRequested, this, &ClipboardHistoryView::requestRow);
    connect(m_list, &ClipboardHistoryList::pasteRequested, this, &ClipboardHistoryView::pasteRow);
    connect(m_list, &ClipboardHistoryList::pasteSelectedRequested, this,
        [this] { m_model.requestHistoricalPaste(std::nullopt); });
    connect(m_list, &QWidget::customContextMenuRequested, this, &ClipboardHistoryView::showContextMenu);
    // A reset drops the view's selection; the model's is shown again.
    connect(m_items, &QAbstractItemModel::modelReset, this, &ClipboardHistoryView::showModelSelection);

    m_placeholder->setActionText(QStringLiteral("打开设置"));
    connect(m_placeholder->actionButton(), &QPushButton::clicked, this,
        [this] { m_model.setShowSettings(true); });

    m_stack->addWidget(m_placeholder);
    m_stack->addWidget(m_list);

    connect(&m_model, &TovraAppModel::changed, this, &ClipboardHistoryView::onModelChanged);
    refreshPlaceholder();
    showHistoryOrPlaceholder();
    showModelSelection();
}

void ClipboardHistoryView::setRelativeTimeReference(const QDateTime &reference)
{
    m_items->setRelativeTimeReference(reference);
}

void ClipboardHistoryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_list->scrollToTop();
}

void ClipboardHistoryView::onModelChanged(TovraAppModelField field)
{
    switch (field) {
    case TovraAppModelField::clipboardItems:
        showHistoryOrPlaceholder();
        break;
    case TovraAppModelField::selectedClipboardItemID:
        showModelSelection();
        followSelectionChange();
        break;
    case TovraAppModelField::isPaused:
    case TovraAppModelField::observationStatus:
    case TovraAppModelField::observationEnabled:
    case TovraAppModelField::accessibilityIsTrusted:
    case TovraAppModelField::inputMonitoringIsTrusted:
        refreshPlaceholder();
        break;
    default:
        break;
    }
}

void ClipboardHistoryView::showHistoryOrPlaceholder()
{
    const qsizetype count = m_model.state().clipboardItems.size();
    m_list->setAccessibleName(QStringLiteral("复制历史列表，共 %1 条").arg(count));
    QWidget *shown = count == 0 ? static_cast<QWidget *>(m_placeholder) : m_list;
    if (m_stack->currentWidget() == shown)
        return;
    m_stack->setCurrentWidget(shown);
    if (shown == m_list)
        m_list->scrollToTop();
}

void ClipboardHistoryView::refreshPlaceholder()
{
    const TovraAppModelState &state = m_model.state();
    m_placeholder->setContent(QStringLiteral("list.clipboard"), QStringLiteral("尚无复制历史"),
        emptyHistoryDescription(state.isPaused, state.observationStatus, m_model.isFollowingPasteboard()));
    m_placeholder->actionButton()->setVisible(state.observationStatus != ObservationModeStatus::observing);
}

void ClipboardHistoryView::showModelSelection()
{
    const std::optional<QUuid> &selected = m_model.state().selectedClipboardItemID;
    const int row = selected ? m_items->rowOf(*selected) : -1;
    QItemSelectionModel *selection = m_list->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    selection->setCurrentIndex(m_items->index(row), QItemSelectionModel::ClearAndSelect);
}

void ClipboardHistoryView::followSelectionChange()
{
    const std::optional<QUuid> selected = m_model.state().selectedClipboardItemID;
    const bool changed = selected != m_seenSelection;
    m_seenSelection = selected;
    // The newest copy arriving selected is brought into view; a row the user
    // picks lower down stays where it is.
    const QList<SessionClipboardItem> &items = m_model.state().clipboardItems;
    if (changed && selected && !items.isEmpty() && items.first().id == *selected)
        m_list->scrollToTop();
}

void ClipboardHistoryView::requestRow(const QModelIndex &index)
{
    const SessionClipboardItem *item = m_items->item(index.row());
    if (item && m_model.state().selectedClipboardItemID != item->id)
        m_model.deferClipboardSelectionUpdate(item->id);
}

void ClipboardHistoryView::pasteRow(const QModelIndex &index)
{
    if (const SessionClipboardItem *item = m_items->item(index.row()))
        m_model.requestHistoricalPaste(item->id);
}

void ClipboardHistoryView::showContextMenu(const QPoint &position)
{
    QModelIndex index = m_list->indexAt(position);
    // From the keyboard the menu is for the selected row.
    if (!index.isValid())
        index = m_list->selectionModel()->currentIndex();
    const SessionClipboardItem *item = m_items->item(index.row());
    if (!item)
        return;
    QMenu menu(this);
    clipboardRow::addRowActions(menu, m_model, *item);
    menu.exec(m_list->viewport()->mapToGlobal(position));
}

} // namespace tovra::app::views
