#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tovra::app::testing {

// Takes the window's picture as it would be on screen, keeps it as
// <build>/screenshots/<name>.png ("<name>@2x.png" at twice the scale) and
// checks it: the window's size and its place within the free area of its
// screen, more than a blank fill, each of `texts` (the window's title first) drawn in full by a
// label or button inside the window, and no text of the window drawn cut
// save those of `allowedCuts` (which end in an ellipsis where the design
// lets them).
void takePicture(
    QWidget *window, const QString &name, const QStringList &texts, const QStringList &allowedCuts = {});

} // namespace tovra::app::testing
