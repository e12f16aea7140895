#include "app/views/records/FilterMenuButton.h"

#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QtMath>

namespace tovra::app::views {

namespace {
constexpr int horizontalPadding = 7;
constexpr int symbolSize = 12;
constexpr int symbolSpacing = 4;
constexpr QChar ellipsis(0x2026);
} // namespace

FilterMenuButton::FilterMenuButton(const QString &help, QWidget *parent)
    : MenuButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(help);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setMaximumWidth(maximumWidth);
}

void FilterMenuButton::setLabel(const recordFilters::FilterLabel &label)
{
    if (label == m_label)
        return;
    m_label = label;
    setText(label.title);
    setAccessibleName(label.accessibleName);
    updateGeometry();
    update();
}

QFont FilterMenuButton::labelFont() const
{
    return palette::captionFont(font());
}

QSize FilterMenuButton::sizeHint() const
{
    // Whole pixels that certainly hold the text: the rounded width would
    // have the drawing cut it short by an ellipsis.
    const int textWidth = qCeil(QFontMetricsF(labelFont()).horizontalAdvance(m_label.title));
    const int width = horizontalPadding + symbolSize + symbolSpacing + textWidth + horizontalPadding;
    return QSize(std::min(width, maximumWidth), minimumHeight);
}

int FilterMenuButton::textWidth() const
{
    return width() - 2 * horizontalPadding - symbolSize - symbolSpacing;
}

QString FilterMenuButton::shownTitle() const
{
    // A long domain or application name is cut rather than widening the row.
    return QFontMetrics(labelFont()).elidedText(m_label.title, Qt::ElideRight, textWidth());
}

QSize FilterMenuButton::minimumSizeHint() const
{
    return QSize(horizontalPadding * 2 + symbolSize, minimumHeight);
}

void FilterMenuButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor foreground = m_label.isActive ? palette::accent : palette::secondary;
    const double fill = m_label.isActive ? 0.12 : (underMouse() || isDown() ? 0.16 : 0.08);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::withAlpha(foreground, fill));
    painter.drawRoundedRect(QRectF(rect()), 6, 6);

    const QRect content = rect().adjusted(horizontalPadding, 0, -horizontalPadding, 0);
    const QRect symbol(content.left(), content.center().y() - symbolSize / 2 + 1, symbolSize, symbolSize);
    painter.drawPixmap(symbol, SymbolIcons::tinted(m_label.symbolName, foreground, symbolSize));

    painter.setFont(labelFont());
    painter.setPen(foreground);
    const QRect textArea(symbol.right() + 1 + symbolSpacing, content.top(), textWidth(), content.height());
    // An ellipsis takes the script of the text before it, and the font draws
    // it on the baseline after Latin but centred after Chinese; drawn on its
    // own it looks the same after both.
    QString shown = shownTitle();
    const bool elided = shown != m_label.title && shown.endsWith(ellipsis);
    if (elided)
        shown.chop(1);
    const int flags = Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip;
    painter.drawText(textArea, flags, shown);
    if (elided) {
        const int shownWidth = qCeil(QFontMetricsF(labelFont()).horizontalAdvance(shown));
        painter.drawText(textArea.adjusted(shownWidth, 0, 0, 0), flags, QString(ellipsis));
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace tovra::app::views
