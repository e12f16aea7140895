#pragma once

#include <QWidget>

class QPushButton;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// The two segments that switch the panel between the copy history and the
// recorded traces, each with its count.
class SectionPicker : public QWidget {
    Q_OBJECT

public:
    explicit SectionPicker(TovraAppModel &model, QWidget *parent = nullptr);

private:
    void refresh();

    TovraAppModel &m_model;
    QPushButton *m_clipboard;
    QPushButton *m_traces;
};

} // namespace tovra::app::views
