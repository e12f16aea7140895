#include "app/views/panel/TabOrder.h"

#include <QWidget>

namespace tovra::app::views {

namespace {

// The controls of `region` that can take the focus, in their current order
// in the window's focus chain.
QList<QWidget *> focusableIn(QWidget *region)
{
    QList<QWidget *> found;
    QWidget *start = region->window();
    QWidget *widget = start;
    do {
        if (widget->focusPolicy() != Qt::NoFocus && (widget == region || region->isAncestorOf(widget)))
            found.append(widget);
        widget = widget->nextInFocusChain();
    } while (widget && widget != start);
    return found;
}

} // namespace

void orderTabs(const QList<QWidget *> &regions)
{
    QList<QWidget *> chain;
    for (QWidget *region : regions)
        chain += focusableIn(region);
    for (qsizetype index = 1; index < chain.size(); ++index)
        QWidget::setTabOrder(chain.at(index - 1), chain.at(index));
}

} // namespace tovra::app::views
