#include "app/views/panel/PanelMotion.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QStyle>
#include <QWidget>

namespace tovra::app::views::motion {

namespace {

const char *const animationName = "stateChangeFade";

} // namespace

QEasingCurve easeOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.0, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

bool isReduced(const QWidget *panel)
{
    return panel->style()->styleHint(QStyle::SH_Widget_Animation_Duration, nullptr, panel) == 0;
}

QPropertyAnimation *fadeIn(QWidget *widget, const QWidget *panel)
{
    // A change that comes while a fade runs starts a fresh one.
    if (auto *running
        = widget->findChild<QPropertyAnimation *>(QLatin1String(animationName), Qt::FindDirectChildrenOnly))
        delete running;
    if (isReduced(panel) || !widget->isVisible()) {
        widget->setGraphicsEffect(nullptr);
        return nullptr;
    }
    auto *effect = new QGraphicsOpacityEffect(widget);
    widget->setGraphicsEffect(effect);
    auto *animation = new QPropertyAnimation(effect, "opacity", widget);
    animation->setObjectName(QLatin1String(animationName));
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(int(stateChangeDuration.count()));
    animation->setEasingCurve(easeOut());
    // The effect renders the widget off screen: it goes once the fade is done.
    QObject::connect(
        animation, &QPropertyAnimation::finished, widget, [widget] { widget->setGraphicsEffect(nullptr); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

} // namespace tovra::app::views::motion
