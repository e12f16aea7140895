#pragma once

#include "app/data/DenylistEntry.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QComboBox;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// The denylist sheet: the model's rules (built-in protections locked), a
// field to add a domain or bundle-identifier rule, and removal of own rules
// after a confirmation, with the feedback of the denylist scope. What it
// keeps itself is only what is being typed, which rule awaits confirmation
// and which added rule the list scrolls to once the model lists it.
// Closing it lowers the model's showDenylist flag.
class DenylistEditor : public QDialog {
    Q_OBJECT

public:
    static constexpr QSize fixedSize { 420, 380 };

    DenylistEditor(TovraAppModel &model, QWidget *parent = nullptr);

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *addArea();
    DenylistEntryKind newKind() const;
    void addPattern();
    void refreshKind();
    void refreshAddButton();
    void refreshEntries();
    void confirmRemoval(const DenylistEntry &entry);

    TovraAppModel &m_model;
    // Made with the add area.
    QComboBox *m_kind = nullptr;
    QLineEdit *m_pattern = nullptr;
    QPushButton *m_add = nullptr;
    QStackedWidget *m_list;
    QScrollArea *m_scroll;
    QVBoxLayout *m_rows;
    // The rule just added: shown once it arrives, wherever the list puts it.
    std::optional<std::pair<DenylistEntryKind, QString>> m_awaitedEntry;
    std::optional<DenylistEntry> m_pendingRemoval;
    QPointer<QMessageBox> m_removalAlert;
};

} // namespace tovra::app::views
