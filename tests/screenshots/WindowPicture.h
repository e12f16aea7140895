#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tovra::app::testing {

// Takes the window's picture as it would be on screen, keeps it as
// <build>/screenshots/<name>.png and checks it: the window's size, more than
// a blank fill, and each of `texts` (the window's title first) drawn in full
// by a label or button inside the window.
void takePicture(QWidget *window, const QString &name, const QStringList &texts);

} // namespace tovra::app::testing
