#include "app/shell/TovraMainWindowPresenter.h"

#include "app/model/TovraAppModel.h"
#include "app/shell/TovraRuntime.h"
#include "app/views/MainPanelView.h"
#include "app/views/ScreenFit.h"
#include "platform/Clock.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tovra::app {

namespace {

constexpr std::chrono::milliseconds targetRefreshDelay { 80 };

QCoro::Task<void> refreshTargetSoon(Clock &clock, QPointer<TovraAppModel> model)
{
    co_await clock.sleep(targetRefreshDelay);
    if (model && !model->isStopping())
        model->refreshClipboardShelfTarget();
}

// The panel's size, and the width of a scroll bar beside it where the
// screen is too low for the panel, so that the bar hides none of it.
QSize fittedWindowSize(const QWidget *window, const QScrollArea *scroll)
{
    QSize wanted = TovraMainWindowPresenter::windowSize;
    if (views::availableContentArea(window).height() < wanted.height())
        wanted.rwidth() += scroll->verticalScrollBar()->sizeHint().width();
    return wanted;
}

} // namespace

QWidget *TovraMainWindowPresenter::buildWindow(TovraAppModel &model)
{
    auto *window = new QWidget(nullptr,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::WindowMinimizeButtonHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Tovra"));
    window->setAccessibleName(QStringLiteral("Tovra"));
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *panel = new MainPanelView(model, window);
    panel->installEventFilter(this);
    connect(panel, &MainPanelView::quitRequested, this, &TovraMainWindowPresenter::quitRequested);
    // On a screen with less room than the panel (a small or a scaled one) the
    // window takes what there is and the panel scrolls inside it.
    auto *scroll = new QScrollArea(window);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAlignment(Qt::AlignCenter);
    // Only a frame around the panel: no Tab stop of its own, and named as
    // the panel is for a screen reader.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setAccessibleName(QStringLiteral("Tovra"));
    scroll->setWidget(panel);
    layout->addWidget(scroll);
    views::fitToScreen(window, fittedWindowSize(window, scroll), views::Placement::centre);
    return window;
}

TovraMainWindowPresenter::TovraMainWindowPresenter(Clock &clock, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
{
}

TovraMainWindowPresenter::~TovraMainWindowPresenter()
{
    delete m_window;
}

TovraMainWindowPresenter &TovraMainWindowPresenter::shared()
{
    static auto *presenter = new TovraMainWindowPresenter(TovraRuntime::shared().clock());
    return *presenter;
}

void TovraMainWindowPresenter::show(TovraAppModel &model)
{
    const bool built = !m_window;
    if (built)
        m_window = buildWindow(model);
    m_window->show();
    // Framed now: the title bar and borders count against the room too.
    if (built) {
        views::fitToScreen(m_window, fittedWindowSize(m_window, m_window->findChild<QScrollArea *>()),
            views::Placement::keep);
    }
    m_window->raise();
    m_window->activateWindow();
    refreshTargetSoon(m_clock, &model);
}

bool TovraMainWindowPresenter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // Once the frame being painted has gone to the screen.
        QTimer::singleShot(0, this, &TovraMainWindowPresenter::firstFramePainted);
    }
    return QObject::eventFilter(watched, event);
}

void TovraMainWindowPresenter::toggle(TovraAppModel &model)
{
    if (m_window && m_window->isVisible() && m_window->isActiveWindow()) {
        m_window->hide();
        return;
    }
    show(model);
}

} // namespace tovra::app
