#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tovra::app::views {

// What stands in place of content that is not there (an empty list, a trace
// that cannot be shown): a large symbol, a title and an explanation, centred,
// and, once given a text, one action button below them.
class ContentUnavailableView : public QWidget {
    Q_OBJECT

public:
    explicit ContentUnavailableView(QWidget *parent = nullptr);

    void setContent(const QString &symbolName, const QString &title, const QString &description);
    // Shows the action button with this text; its owner connects it.
    void setActionText(const QString &text);
    QPushButton *actionButton() const noexcept { return m_action; }

    // Without its symbol: where banners above leave too little height, the
    // symbol goes first, so that the texts and the button still fit.
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int symbolHeight() const;

    QLabel *m_symbol;
    QLabel *m_title;
    QLabel *m_description;
    QPushButton *m_action;
};

} // namespace tovra::app::views
