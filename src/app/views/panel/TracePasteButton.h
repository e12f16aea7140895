#pragma once

#include <QPushButton>

class QLabel;
class QProgressBar;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// The traced paste on screen, the twin of the Alt+Shift+V hot key: it shows
// the paste running and cannot be pressed again meanwhile.
class TracePasteButton : public QPushButton {
    Q_OBJECT

public:
    explicit TracePasteButton(TovraAppModel &model, QWidget *parent = nullptr);

private:
    void refresh();

    TovraAppModel &m_model;
    QLabel *m_symbol;
    QProgressBar *m_progress;
    QLabel *m_title;
};

} // namespace tovra::app::views
