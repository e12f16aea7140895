#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// The panel's bottom row: the denylist, the export of the filtered records,
// clearing the section's content, the history's counters and quitting.
class MainPanelFooter : public QWidget {
    Q_OBJECT

public:
    explicit MainPanelFooter(TovraAppModel &model, QWidget *parent = nullptr);

    // "文字 3/50 · 图片 1/10 · 退出即清除" for three texts and one image.
    static QString countersText(qsizetype textCount, qsizetype imageCount);

signals:
    void quitRequested();

private:
    void refresh();

    TovraAppModel &m_model;
    QToolButton *m_exportMenu;
    QPushButton *m_clearButton;
    QLabel *m_counters;
};

} // namespace tovra::app::views
