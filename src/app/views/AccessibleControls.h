#pragma once

// What assistive tools see of the few controls whose accessible form Qt gets
// wrong for this app (`MenuButton`, `NamedComboBox`). Registered once, by
// the first such control.
namespace tovra::app::views {

void registerAccessibleControls();

} // namespace tovra::app::views
