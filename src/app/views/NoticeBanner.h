#pragma once

#include "app/data/AppNotice.h"

#include <QWidget>

class QLabel;

namespace tovra::app::views {

// A passing message of the model, with its symbol and a dismiss button. It
// shows what it is given and only reports the button; dismissing is the
// owner's business.
class NoticeBanner : public QWidget {
    Q_OBJECT

public:
    explicit NoticeBanner(QWidget *parent = nullptr);

    void setNotice(const AppNotice &notice);

signals:
    void dismissRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_symbol;
    QLabel *m_message;
};

} // namespace tovra::app::views
