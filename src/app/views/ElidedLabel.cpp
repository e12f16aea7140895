#include "app/views/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

namespace tovra::app::views {

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget *parent)
    : QLabel(parent)
    , m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(text(), m_mode, contentsRect().width());
}

QSize ElidedLabel::minimumSizeHint() const
{
    // As tall as the text laid out, which a glyph of a fallback font (a
    // Chinese one under a Latin family) can make taller than the font's own
    // height: descenders and underscores stay whole.
    const QRect laidOut
        = fontMetrics().boundingRect(QRect(0, 0, QWIDGETSIZE_MAX, 0), Qt::TextSingleLine, text());
    const QMargins margins = contentsMargins();
    return { 0, std::max(fontMetrics().height(), laidOut.height()) + margins.top() + margins.bottom() };
}

QSize ElidedLabel::sizeHint() const
{
    return { QLabel::sizeHint().width(), minimumSizeHint().height() };
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextDontClip, palette(),
        isEnabled(), shownText(), foregroundRole());
}

} // namespace tovra::app::views
