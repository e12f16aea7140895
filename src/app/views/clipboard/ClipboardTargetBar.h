#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// The copy history's controls: which application a history item would be
// pasted back into (and whether it can take it now), a button to check that
// again, and the button that pastes the selected item back.
class ClipboardTargetBar : public QWidget {
    Q_OBJECT

public:
    explicit ClipboardTargetBar(TovraAppModel &model, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();

    TovraAppModel &m_model;
    const QPixmap m_availableSymbol;
    const QPixmap m_unavailableSymbol;
    QLabel *m_symbol;
    QLabel *m_title;
    QLabel *m_detail;
    QToolButton *m_refreshButton;
    QPushButton *m_pasteButton;
    QLabel *m_pasteSymbol;
    QProgressBar *m_pasteProgress;
    QLabel *m_pasteText;
};

} // namespace tovra::app::views
