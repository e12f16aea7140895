#include "app/views/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tovra::app::views {

namespace {

QMargins frameMargins(const QWidget *window)
{
    const QRect content = window->geometry();
    const QRect frame = window->frameGeometry();
    return { content.left() - frame.left(), content.top() - frame.top(), frame.right() - content.right(),
        frame.bottom() - content.bottom() };
}

} // namespace

QRect fittedFrame(QSize size, const QRect &available)
{
    QRect frame(QPoint(), size.boundedTo(available.size()));
    frame.moveCenter(available.center());
    frame.moveTopLeft(
        QPoint(std::max(frame.left(), available.left()), std::max(frame.top(), available.top())));
    return frame;
}

QRect availableContentArea(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(QPoint(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    return screen->availableGeometry().marginsRemoved(frameMargins(window));
}

void fitToScreen(QWidget *window, QSize designSize, Placement placement)
{
    const QRect available = availableContentArea(window);
    const QSize size = designSize.boundedTo(available.size());
    window->setFixedSize(size);
    if (placement == Placement::keep && available.contains(QRect(window->geometry().topLeft(), size)))
        return;
    // move() places the frame, whose top-left lies outside the content.
    const QMargins frame = frameMargins(window);
    window->move(fittedFrame(size, available).topLeft() - QPoint(frame.left(), frame.top()));
}

} // namespace tovra::app::views
