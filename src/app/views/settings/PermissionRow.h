#pragma once

#include <QWidget>

class QPushButton;

namespace tovra::app::views {
class SymbolLabel;
}

namespace tovra::app::views::settings {

// One permission: what it is for, whether it is granted, and a button to
// the system page where the user grants it.
class PermissionRow : public QWidget {
    Q_OBJECT

public:
    PermissionRow(const QString &title, const QString &explanation, QWidget *parent = nullptr);

    void setGranted(bool granted);
    // The button stays in its place either way; on a desktop without such a
    // page it is disabled, and its tooltip says why.
    void setSettingsPageAvailable(bool available);

signals:
    void openSettingsRequested();

private:
    SymbolLabel *m_status;
    QPushButton *m_openSettings;
};

} // namespace tovra::app::views::settings
