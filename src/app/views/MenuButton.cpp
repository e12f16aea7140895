#include "app/views/MenuButton.h"

#include "app/views/AccessibleControls.h"

#include <QMenu>

namespace tovra::app::views {

MenuButton::MenuButton(QWidget *parent)
    : QToolButton(parent)
{
    registerAccessibleControls();
    setMenu(new QMenu(this));
    setPopupMode(QToolButton::InstantPopup);
}

} // namespace tovra::app::views
