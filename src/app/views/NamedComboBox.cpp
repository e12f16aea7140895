#include "app/views/NamedComboBox.h"

#include "app/views/AccessibleControls.h"

namespace tovra::app::views {

NamedComboBox::NamedComboBox(QWidget *parent)
    : QComboBox(parent)
{
    registerAccessibleControls();
}

} // namespace tovra::app::views
