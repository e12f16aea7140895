#include "app/views/records/RecordRowButtons.h"

#include "app/views/Palette.h"
#include "app/views/records/RecordRowDelegate.h"
#include "app/views/records/RecordRowText.h"
#include "app/views/records/RecordsListModel.h"

#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QListView>
#include <QScrollBar>
#include <QToolButton>

namespace tovra::app::views {

namespace {

QToolButton *rowButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setIconSize(QSize(RecordRowDelegate::buttonSymbolSide, RecordRowDelegate::buttonSymbolSide));
    // The keyboard's place shows as a clear ring in the accent colour, not as
    // the style's faint frame.
    button->setStyleSheet(
        QStringLiteral("QToolButton { border: 2px solid transparent; border-radius: 5px; }"
                       "QToolButton:hover { background: %1; }"
                       "QToolButton:focus { border-color: %2; }")
            .arg(palette::withAlpha(palette::secondary, 0.16).name(QColor::HexArgb), palette::accent.name()));
    button->hide();
    return button;
}

} // namespace

RecordRowButtons::RecordRowButtons(QListView *list, RecordsListModel *records, QWidget *host)
    : QObject(list)
    , m_list(list)
    , m_viewport(list->viewport())
    , m_records(records)
    , m_host(host)
    , m_open(rowButton(host))
    , m_delete(rowButton(host))
{
    m_delete->setToolTip(QStringLiteral("删除这条记录"));
    QWidget::setTabOrder(m_list, m_open);
    QWidget::setTabOrder(m_open, m_delete);
    connect(m_open, &QToolButton::clicked, this, [this] {
        if (m_row.isValid())
            emit openRequested(m_row);
    });
    connect(m_delete, &QToolButton::clicked, this, [this] {
        if (m_row.isValid())
            emit deleteRequested(m_row);
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &RecordRowButtons::follow);
    connect(
        m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &RecordRowButtons::follow);
    connect(m_records, &QAbstractItemModel::modelReset, this, &RecordRowButtons::follow);
    connect(m_records, &QAbstractItemModel::dataChanged, this, &RecordRowButtons::follow);
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &RecordRowButtons::follow);
    m_viewport->installEventFilter(this);
    m_list->installEventFilter(this);
}

bool RecordRowButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        follow();
    else if (watched == m_list
        && event->type() == QEvent::FocusOut
        // A menu opened over the list leaves it the focus owner.
        && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        lendCurrentRow();
    else if (watched == m_list && event->type() == QEvent::FocusIn)
        takeBackCurrentRow();
    return QObject::eventFilter(watched, event);
}

void RecordRowButtons::lendCurrentRow()
{
    if (!m_row.isValid())
        return;
    m_list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void RecordRowButtons::takeBackCurrentRow()
{
    if (m_row.isValid() && !m_list->currentIndex().isValid())
        m_list->selectionModel()->setCurrentIndex(m_row, QItemSelectionModel::NoUpdate);
}

void RecordRowButtons::follow()
{
    // While the list has lent its current row out, the buttons stay on it.
    if (m_list->currentIndex().isValid() || m_list->hasFocus() || !m_row.isValid())
        m_row = m_list->currentIndex();
    const ProvenanceRecord *record = m_row.isValid() ? m_records->record(m_row.row()) : nullptr;
    QRect row = record ? m_list->visualRect(m_row) : QRect();
    // A row spans the viewport; the list lays its rows out to a new width
    // only later (a scroll bar that just appeared), and the delegate draws
    // them at the width the viewport has.
    row.setLeft(0);
    row.setWidth(m_viewport->width());
    if (!record || !m_viewport->rect().contains(row.center())) {
        m_open->hide();
        m_delete->hide();
        return;
    }
    const QPoint offset = m_viewport->mapTo(m_host, QPoint());
    m_open->setGeometry(RecordRowDelegate::openButtonRect(row).translated(offset));
    m_delete->setGeometry(RecordRowDelegate::deleteButtonRect(row).translated(offset));
    m_open->setAccessibleName(recordRow::openAccessibleName(*record));
    m_open->setToolTip(recordRow::openHelp(*record));
    m_delete->setAccessibleName(recordRow::deleteAccessibleName(*record));
    // On the selection's colour the symbols take its text colour, as the
    // delegate draws them.
    const std::optional<QColor> selectedText = m_list->selectionModel()->isSelected(m_row)
        ? std::optional<QColor>(m_list->palette().color(QPalette::HighlightedText))
        : std::nullopt;
    m_open->setIcon(RecordRowDelegate::openSymbol(selectedText));
    m_delete->setIcon(RecordRowDelegate::deleteSymbol(selectedText));
    for (QToolButton *button : { m_open, m_delete }) {
        button->show();
        button->raise();
    }
}

} // namespace tovra::app::views
