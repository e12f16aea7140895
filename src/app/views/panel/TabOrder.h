#pragma once

#include <QList>

class QWidget;

namespace tovra::app::views {

// Chains the keyboard focus through `regions` in the order given, each
// region's own controls keeping their order among themselves. Qt chains
// controls in the order they were created, which is not always the order in
// which they stand: a section built later would otherwise come after the
// footer.
void orderTabs(const QList<QWidget *> &regions);

} // namespace tovra::app::views
