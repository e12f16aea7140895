#pragma once

#include <QColor>
#include <QWidget>

class QPainter;

namespace tovra::app::views {

// A plain container with a rounded, filled background. Painted by hand: a
// style sheet would do the same but costs milliseconds at the window's start.
class RoundedPanel : public QWidget {
    Q_OBJECT

public:
    RoundedPanel(QColor fill, qreal radius, QWidget *parent = nullptr);

    static void paint(QPainter &painter, const QRect &rect, qreal radius, const QColor &fill);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
    qreal m_radius;
};

} // namespace tovra::app::views
