#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Windows of a fixed design size on screens that may offer less room: a
// small screen, or a scaled one (twice the scale halves the room).
namespace tovra::app::views {

// The frame of a window of `size` centred on `available`, made no larger
// than it and moved into it: never above or left of its top-left corner.
QRect fittedFrame(QSize size, const QRect &available);

// The part of the free area of `window`'s screen its content may take: the
// screen without its panels, less the title bar and borders once the window
// manager has added them.
QRect availableContentArea(const QWidget *window);

enum class Placement {
    // Centred on the free area of the screen.
    centre,
    // Where it is, unless it reaches beyond the free area: then moved into it.
    keep,
};

// Gives `window` its design size, or as much of it as the free area of its
// screen holds (its content scrolls then), placed within that area. Called
// again once the window is shown, when its title bar and borders are known.
void fitToScreen(QWidget *window, QSize designSize, Placement placement);

} // namespace tovra::app::views
