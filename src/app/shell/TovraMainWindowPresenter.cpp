#include "app/shell/TovraMainWindowPresenter.h"

#include "app/model/TovraAppModel.h"
#include "app/shell/TovraRuntime.h"
#include "app/views/MainPanelView.h"
#include "platform/Clock.h"

#include <QGuiApplication>
#include <QScreen>
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
    layout->addWidget(panel);
    window->setFixedSize(TovraMainWindowPresenter::windowSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), TovraMainWindowPresenter::windowSize);
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
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
    if (!m_window)
        m_window = buildWindow(model);
    m_window->show();
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
