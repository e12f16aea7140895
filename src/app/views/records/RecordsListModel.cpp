#include "app/views/records/RecordsListModel.h"

#include "app/model/TovraAppModel.h"
#include "app/views/records/RecordRowText.h"

#include <algorithm>

namespace tovra::app::views {

RecordsListModel::RecordsListModel(TovraAppModel &model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
    , m_reference(model.now())
    , m_records(model.filteredRecords())
{
    connect(&m_model, &TovraAppModel::changed, this, &RecordsListModel::onModelChanged);
}

int RecordsListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

const ProvenanceRecord *RecordsListModel::record(int row) const
{
    return row >= 0 && row < m_records.size() ? &m_records.at(row) : nullptr;
}

QVariant RecordsListModel::data(const QModelIndex &index, int role) const
{
    const ProvenanceRecord *shown = record(index.row());
    if (!shown)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return recordRow::sourceTitle(*shown);
    case Qt::AccessibleTextRole:
        return recordRow::accessibilitySummary(*shown, m_reference);
    case Qt::AccessibleDescriptionRole:
        return QStringLiteral("按 Return 打开来源，按 Delete 删除这条记录");
    default:
        return QVariant();
    }
}

void RecordsListModel::setRelativeTimeReference(const QDateTime &reference)
{
    m_reference = reference;
    if (m_model.state().dateFilter != RecordDateFilter::all)
        refresh();
    else if (!m_records.isEmpty())
        emit dataChanged(index(0), index(rowCount() - 1));
}

void RecordsListModel::onModelChanged(TovraAppModelField field)
{
    switch (field) {
    case TovraAppModelField::records:
    case TovraAppModelField::searchText:
    case TovraAppModelField::selectedDomain:
    case TovraAppModelField::selectedApplication:
    case TovraAppModelField::selectedConfidence:
    case TovraAppModelField::dateFilter:
        refresh();
        break;
    default:
        break;
    }
}

void RecordsListModel::refresh()
{
    QList<ProvenanceRecord> records = m_model.filteredRecords();
    const bool sameRows = std::equal(records.cbegin(), records.cend(), m_records.cbegin(), m_records.cend(),
        [](const ProvenanceRecord &a, const ProvenanceRecord &b) { return a.id == b.id; });
    if (!sameRows) {
        beginResetModel();
        m_records = std::move(records);
        endResetModel();
        return;
    }
    m_records = std::move(records);
    if (!m_records.isEmpty())
        emit dataChanged(index(0), index(rowCount() - 1));
}

} // namespace tovra::app::views
