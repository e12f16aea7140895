#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// The panel's top row: what the app is doing (paused, or which observation
// mode), the settings button and the pause button.
class MainPanelHeader : public QWidget {
    Q_OBJECT

public:
    explicit MainPanelHeader(TovraAppModel &model, QWidget *parent = nullptr);

private:
    void refresh();
    void setPauseEnabled(bool enabled);

    TovraAppModel &m_model;
    QLabel *m_symbol;
    QLabel *m_title;
    QLabel *m_detail;
    QPushButton *m_settingsButton;
    QPushButton *m_pauseButton;
    // While a pause change is applied the button is disabled, which hands its
    // focus to the next control; this remembers whether it had the focus and
    // which control took it.
    bool m_pauseLentFocus = false;
    QPointer<QWidget> m_pauseFocusBorrower;
};

} // namespace tovra::app::views
