#include "app/views/RoundedPanel.h"

#include <QPainter>
#include <QPainterPath>

namespace tovra::app::views {

RoundedPanel::RoundedPanel(QColor fill, qreal radius, QWidget *parent)
    : QWidget(parent)
    , m_fill(std::move(fill))
    , m_radius(radius)
{
}

void RoundedPanel::paint(QPainter &painter, const QRect &rect, qreal radius, const QColor &fill)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect), radius, radius);
    painter.fillPath(shape, fill);
}

void RoundedPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, rect(), m_radius, m_fill);
}

} // namespace tovra::app::views
