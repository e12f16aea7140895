#include "app/views/MenuButton.h"

#include "app/views/AccessibleControls.h"

#include <QMenu>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace tovra::app::views {

namespace {

constexpr int arrowWidth = 7;
constexpr int arrowGap = 3;

} // namespace

MenuButton::MenuButton(QWidget *parent)
    : QToolButton(parent)
{
    registerAccessibleControls();
    setMenu(new QMenu(this));
    setPopupMode(QToolButton::InstantPopup);
}

void MenuButton::initStyleOption(QStyleOptionToolButton *option) const
{
    QToolButton::initStyleOption(option);
    option->features &= ~QStyleOptionToolButton::HasMenu;
}

QSize MenuButton::sizeHint() const
{
    return QToolButton::sizeHint() + QSize(arrowWidth + arrowGap, 0);
}

void MenuButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.rect.setRight(option.rect.right() - arrowWidth - arrowGap);
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    // A chevron centred on the text's line, in the text's colour.
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(QPen(palette().color(group, QPalette::ButtonText), 1.2));
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF middle(option.rect.right() + arrowGap + arrowWidth / 2.0, rect().center().y() + 1.0);
    const double half = arrowWidth / 2.0;
    painter.drawPolyline(QPolygonF { middle + QPointF(-half, -half / 2), middle + QPointF(0, half / 2),
        middle + QPointF(half, -half / 2) });
}

} // namespace tovra::app::views
