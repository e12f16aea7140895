#include "app/views/records/RecordsView.h"

#include "app/model/TovraAppModel.h"
#include "app/views/ContentUnavailableView.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/records/RecordRowButtons.h"
#include "app/views/records/RecordRowDelegate.h"
#include "app/views/records/RecordRowText.h"
#include "app/views/records/RecordsListModel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace tovra::app::views {

QString emptyRecordsDescription(ObservationModeStatus status)
{
    return status == ObservationModeStatus::observing
        ? QStringLiteral("使用标准 ⌘C/⌘V 可记录 App 级流向；使用 ⌥⇧V 可建立较高可信度记录。")
        : QStringLiteral("在 Chrome 中完成带溯源复制，再用 ⌥⇧V 粘贴；也可在设置中开启 App 级观察。");
}

RecordsView::RecordsView(TovraAppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_records(new RecordsListModel(model, this))
    , m_list(new QListView(this))
    , m_placeholder(new ContentUnavailableView(this))
    , m_placeholderScroll(new QScrollArea(this))
    , m_loading(buildLoadingNote())
    , m_stack(new QStackedLayout(this))
{
    m_list->setModel(m_records);
    auto *rows = new RecordRowDelegate(m_list);
    m_list->setItemDelegate(rows);
    // Every row has the same height: the view lays out thousands at once.
    m_list->setUniformItemSizes(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setMouseTracking(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    connect(rows, &RecordRowDelegate::openRequested, this, &RecordsView::openRow);
    connect(rows, &RecordRowDelegate::deleteRequested, this, &RecordsView::deleteRow);
    auto *rowButtons = new RecordRowButtons(m_list, m_records, this);
    connect(rowButtons, &RecordRowButtons::openRequested, this, &RecordsView::openRow);
    connect(rowButtons, &RecordRowButtons::deleteRequested, this, &RecordsView::deleteRow);
    connect(m_list, &QWidget::customContextMenuRequested, this, &RecordsView::showContextMenu);
    connect(m_records, &QAbstractItemModel::modelReset, this, &RecordsView::showState);

    // One button, whose job follows the placeholder: start a traced paste
    // into an empty ledger, or clear filters that hide every record.
    connect(m_placeholder->actionButton(), &QPushButton::clicked, this, [this] {
        if (m_model.state().records.isEmpty())
            m_model.requestTracePaste();
        else
            m_model.resetFilters();
    });

    m_stack->addWidget(m_loading);
    // Banners above may leave the placeholder less than its height: it then
    // scrolls rather than squeezing the search and filters above.
    m_placeholderScroll->setWidget(m_placeholder);
    m_placeholderScroll->setWidgetResizable(true);
    m_placeholderScroll->setFrameShape(QFrame::NoFrame);
    m_placeholderScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_placeholderScroll->setMinimumHeight(0);
    m_placeholderScroll->viewport()->setBackgroundRole(QPalette::Window);
    m_stack->addWidget(m_placeholderScroll);
    m_stack->addWidget(m_list);

    connect(&m_model, &TovraAppModel::changed, this, &RecordsView::onModelChanged);
    showState();
}

QWidget *RecordsView::buildLoadingNote()
{
    auto *note = new QWidget(this);
    note->setAccessibleName(QStringLiteral("正在读取本地记录…"));
    auto *column = new QVBoxLayout(note);
    column->setSpacing(10);
    column->addStretch();
    auto *progress = new QProgressBar(note);
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setFixedWidth(120);
    column->addWidget(progress, 0, Qt::AlignHCenter);
    auto *text = new QLabel(QStringLiteral("正在读取本地记录…"), note);
    text->setFont(palette::captionFont(text->font()));
    text->setPalette(palette::secondaryText(text->palette()));
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addStretch();
    return note;
}

void RecordsView::setRelativeTimeReference(const QDateTime &reference)
{
    m_records->setRelativeTimeReference(reference);
}

void RecordsView::onModelChanged(TovraAppModelField field)
{
    switch (field) {
    case TovraAppModelField::records:
    case TovraAppModelField::isLoading:
    case TovraAppModelField::isPaused:
    case TovraAppModelField::isPasting:
    case TovraAppModelField::observationStatus:
        showState();
        break;
    default:
        break;
    }
}

void RecordsView::showState()
{
    const TovraAppModelState &state = m_model.state();
    const int shown = m_records->rowCount();
    m_list->setAccessibleName(QStringLiteral("溯源记录列表，共 %1 条").arg(shown));
    // While a reload runs with records present, the previous list stays.
    if (state.isLoading && state.records.isEmpty()) {
        m_stack->setCurrentWidget(m_loading);
        return;
    }
    if (shown > 0) {
        m_stack->setCurrentWidget(m_list);
        return;
    }
    if (state.records.isEmpty()) {
        m_placeholder->setContent(QStringLiteral("link.badge.plus"), QStringLiteral("尚无溯源记录"),
            emptyRecordsDescription(state.observationStatus));
        m_placeholder->setActionText(QStringLiteral("带溯源粘贴"));
        m_placeholder->actionButton()->setEnabled(!state.isPaused && !state.isPasting);
    } else {
        m_placeholder->setContent(QStringLiteral("line.3.horizontal.decrease.circle"),
            QStringLiteral("没有匹配的记录"), QStringLiteral("尝试修改搜索词或重置筛选条件。"));
        m_placeholder->setActionText(QStringLiteral("重置筛选"));
        m_placeholder->actionButton()->setEnabled(true);
    }
    m_stack->setCurrentWidget(m_placeholderScroll);
}

void RecordsView::openRow(const QModelIndex &index)
{
    if (const ProvenanceRecord *record = m_records->record(index.row()))
        m_model.openSource(*record);
}

void RecordsView::deleteRow(const QModelIndex &index)
{
    if (const ProvenanceRecord *record = m_records->record(index.row()))
        m_model.setPendingDeletion(*record);
}

bool RecordsView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const QModelIndex current = m_list->currentIndex();
        if (current.isValid() && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            openRow(current);
            return true;
        }
        if (current.isValid() && (key == Qt::Key_Delete || key == Qt::Key_Backspace)) {
            deleteRow(current);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RecordsView::showContextMenu(const QPoint &position)
{
    QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        index = m_list->currentIndex();
    const ProvenanceRecord *record = m_records->record(index.row());
    if (!record)
        return;
    const ProvenanceRecord chosen = *record;
    QMenu menu(this);
    menu.addAction(SymbolIcons::icon(QStringLiteral("arrow.up.forward.square")), recordRow::openHelp(chosen),
        this, [this, chosen] { m_model.openSource(chosen); });
    menu.addAction(SymbolIcons::icon(QStringLiteral("trash")), QStringLiteral("删除这条记录"), this,
        [this, chosen] { m_model.setPendingDeletion(chosen); });
    menu.exec(m_list->viewport()->mapToGlobal(position));
}

} // namespace tovra::app::views
