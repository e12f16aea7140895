#include "app/views/records/RecordRowButtons.h"

#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/records/RecordRowDelegate.h"
#include "app/views/records/RecordRowText.h"
#include "app/views/records/RecordsListModel.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QListView>
#include <QScrollBar>
#include <QToolButton>

namespace tovra::app::views {

namespace {

QToolButton *rowButton(const QString &symbolName, const QColor &color, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setIcon(SymbolIcons::tinted(symbolName, color, 14));
    button->setIconSize(QSize(14, 14));
    button->hide();
    return button;
}

} // namespace

RecordRowButtons::RecordRowButtons(QListView *list, RecordsListModel *records)
    : QObject(list)
    , m_list(list)
    , m_viewport(list->viewport())
    , m_records(records)
    , m_open(rowButton(QStringLiteral("arrow.up.forward.square"), palette::accent, list->viewport()))
    , m_delete(rowButton(QStringLiteral("trash"), palette::red, list->viewport()))
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
    connect(m_records, &QAbstractItemModel::modelReset, this, &RecordRowButtons::follow);
    connect(m_records, &QAbstractItemModel::dataChanged, this, &RecordRowButtons::follow);
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &RecordRowButtons::follow);
    m_viewport->installEventFilter(this);
}

bool RecordRowButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        follow();
    return QObject::eventFilter(watched, event);
}

void RecordRowButtons::follow()
{
    m_row = m_list->currentIndex();
    const ProvenanceRecord *record = m_row.isValid() ? m_records->record(m_row.row()) : nullptr;
    if (!record) {
        m_open->hide();
        m_delete->hide();
        return;
    }
    const QRect row = m_list->visualRect(m_row);
    m_open->setGeometry(RecordRowDelegate::openButtonRect(row));
    m_delete->setGeometry(RecordRowDelegate::deleteButtonRect(row));
    m_open->setAccessibleName(recordRow::openAccessibleName(*record));
    m_open->setToolTip(recordRow::openHelp(*record));
    m_delete->setAccessibleName(recordRow::deleteAccessibleName(*record));
    m_open->show();
    m_delete->show();
}

} // namespace tovra::app::views
