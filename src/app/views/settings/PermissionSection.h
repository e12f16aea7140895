#pragma once

#include <QGroupBox>

class QPushButton;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {
class SymbolLabel;
}

namespace tovra::app::views::settings {

class PermissionRow;

// "权限": Input Monitoring and Accessibility with their state, the requests
// and re-check, and while one is missing, the hint about a changed signing
// identity with a way to show the program's file.
class PermissionSection : public QGroupBox {
    Q_OBJECT

public:
    explicit PermissionSection(TovraAppModel &model, QWidget *parent = nullptr);

private:
    void refresh();
    void openInputMonitoringSettings();

    TovraAppModel &m_model;
    PermissionRow *m_inputMonitoring;
    PermissionRow *m_accessibility;
    SymbolLabel *m_signingHint;
    QPushButton *m_reveal;
};

} // namespace tovra::app::views::settings
