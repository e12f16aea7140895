#pragma once

#include <QEasingCurve>

#include <chrono>

class QPropertyAnimation;
class QWidget;

// How the main panel moves when its state changes: a short fade with an
// ease-out curve, and none at all for a user who asked the desktop for less
// motion.
namespace tovra::app::views::motion {

inline constexpr std::chrono::milliseconds stateChangeDuration { 180 };

// Fast at first, settling gently: the cubic curve (0, 0) (0.58, 1).
QEasingCurve easeOut();

// Whether the desktop asks for reduced motion, as `panel`'s style reports it
// (a widget animation duration of 0). A style that does not know allows motion.
bool isReduced(const QWidget *panel);

// Fades `widget` into what it now shows, unless `panel` asks for reduced
// motion or the widget is not on screen. Returns the running animation, or
// null when nothing moves.
QPropertyAnimation *fadeIn(QWidget *widget, const QWidget *panel);

} // namespace tovra::app::views::motion
