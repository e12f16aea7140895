#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {
class SymbolLabel;
}

namespace tovra::app::views::settings {

// "运行模式": the observation switch, the mode the app is in, and a warning
// while copies are inferred from the pasteboard without key observation.
class ObservationSection : public QGroupBox {
    Q_OBJECT

public:
    explicit ObservationSection(TovraAppModel &model, QWidget *parent = nullptr);

private:
    void refresh();

    TovraAppModel &m_model;
    QCheckBox *m_switch;
    SymbolLabel *m_status;
    QLabel *m_downgraded;
};

} // namespace tovra::app::views::settings
