#pragma once

#include "app/model/TovraAppModelState.h"

#include <QWidget>

class QLineEdit;
class QMenu;
class QToolButton;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

class FilterMenuButton;

// The records section's controls: the search box and the row of filters
// (source domain, destination application, paste date, confirmation state)
// with a reset button while any filter narrows the list. Every control
// shows and sets the model's filter state; none keeps a choice of its own.
class RecordsControls : public QWidget {
    Q_OBJECT

public:
    explicit RecordsControls(TovraAppModel &model, QWidget *parent = nullptr);

private:
    QWidget *buildSearchBox();
    QWidget *buildFilterRow();
    void onModelChanged(TovraAppModelField field);
    void refreshSearch();
    void refreshFilters();
    void fillDomainMenu(QMenu *menu);
    void fillApplicationMenu(QMenu *menu);
    void fillDateMenu(QMenu *menu);
    void fillConfidenceMenu(QMenu *menu);

    TovraAppModel &m_model;
    QLineEdit *m_search = nullptr;
    QToolButton *m_clearSearch = nullptr;
    FilterMenuButton *m_domainFilter = nullptr;
    FilterMenuButton *m_applicationFilter = nullptr;
    FilterMenuButton *m_dateFilter = nullptr;
    FilterMenuButton *m_confidenceFilter = nullptr;
    QToolButton *m_reset = nullptr;
};

} // namespace tovra::app::views
