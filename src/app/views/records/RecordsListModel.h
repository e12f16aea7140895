#pragma once

#include "app/data/ProvenanceRecord.h"
#include "app/model/TovraAppModelState.h"

#include <QAbstractListModel>
#include <QDateTime>

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// The records that pass the model's filters, newest paste first, as a list
// for a view. The model computes that list afresh on every request, so it is
// asked once per change of the records or the filters and kept until the next.
class RecordsListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit RecordsListModel(TovraAppModel &model, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The record of a row, or null outside the list.
    const ProvenanceRecord *record(int row) const;

    // The "now" the paste times are told against; the rows' words follow,
    // and a date filter is applied again at the new time.
    void setRelativeTimeReference(const QDateTime &reference);
    QDateTime relativeTimeReference() const noexcept { return m_reference; }

private:
    void onModelChanged(TovraAppModelField field);
    // Asks the model for the filtered list again. The same records in the
    // same order only repaint, so the list keeps its scroll position.
    void refresh();

    TovraAppModel &m_model;
    QDateTime m_reference;
    QList<ProvenanceRecord> m_records;
};

} // namespace tovra::app::views
