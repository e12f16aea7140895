#include "app/views/LineLimitedLabel.h"

#include "app/views/LineLimitedText.h"

#include <QPainter>

#include <algorithm>

namespace tovra::app::views {

LineLimitedLabel::LineLimitedLabel(int maxLines, QWidget *parent)
    : QLabel(parent)
    , m_maxLines(maxLines)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
}

int LineLimitedLabel::linesThatFit() const
{
    // A layout short of room may give fewer lines than asked: the last one
    // that fits then takes the ellipsis, and none is cut through.
    return std::clamp(contentsRect().height() / fontMetrics().lineSpacing(), 1, m_maxLines);
}

QString LineLimitedLabel::shownText() const
{
    return lineLimitedShownText(font(), contentsRect().width(), text(), linesThatFit());
}

int LineLimitedLabel::heightOfLines(int lines) const
{
    const QMargins margins = contentsMargins();
    return std::max(lines, 1) * fontMetrics().lineSpacing() + margins.top() + margins.bottom();
}

int LineLimitedLabel::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const int textWidth = width - margins.left() - margins.right();
    return heightOfLines(lineLimitedLineCount(font(), textWidth, text(), m_maxLines));
}

QSize LineLimitedLabel::sizeHint() const
{
    const QSize wide = QLabel::sizeHint();
    return QSize(wide.width(), heightForWidth(wide.width()));
}

QSize LineLimitedLabel::minimumSizeHint() const
{
    return QSize(0, heightOfLines(1));
}

void LineLimitedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    drawLineLimitedText(&painter, contentsRect(), text(), linesThatFit());
}

} // namespace tovra::app::views
