#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {
class SymbolLabel;
}

namespace tovra::app::views::settings {

// "集成": the browser extension's connection, the extension ID with the
// button that installs the native host for it and its outcome, and the
// switch that turns dedicated pastes into Obsidian into source links.
class IntegrationSection : public QGroupBox {
    Q_OBJECT

public:
    explicit IntegrationSection(TovraAppModel &model, QWidget *parent = nullptr);

private:
    void refreshHostStatus();
    void refreshExtensionID();
    void refreshInstallation();

    TovraAppModel &m_model;
    SymbolLabel *m_hostStatus;
    QLabel *m_hostDetail;
    QLineEdit *m_extensionID;
    QPushButton *m_install;
    SymbolLabel *m_installation;
    QCheckBox *m_obsidianCitation;
};

} // namespace tovra::app::views::settings
