#include "app/views/TraceDetailWindowPresenter.h"

#include "app/views/TraceDetailView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

namespace tovra::app {

namespace {

QWidget *newWindow()
{
    // Titled, closable and minimisable; its fixed size leaves nothing to resize.
    auto *window = new QWidget(nullptr,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::WindowMinimizeButtonHint);
    window->setObjectName(QStringLiteral("traceDetailWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    // Escape closes it, as it closes a sheet, wherever the focus is inside.
    auto *close = new QShortcut(QKeySequence::Cancel, window);
    QObject::connect(close, &QShortcut::activated, window, &QWidget::close);
    return window;
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(), screen->availableGeometry())
                     .topLeft());
}

} // namespace

TraceDetailWindowPresenter::~TraceDetailWindowPresenter()
{
    delete m_window.data();
}

QString TraceDetailWindowPresenter::windowTitle(const TraceDetailContent &content)
{
    return content.foundRecord() ? QStringLiteral("本机溯源记录") : QStringLiteral("溯源记录不可用");
}

void TraceDetailWindowPresenter::show(TraceDetailContent content)
{
    if (!m_window)
        m_window = newWindow();
    QWidget *window = m_window;
    window->setWindowTitle(windowTitle(content));
    delete window->findChild<views::TraceDetailView *>(QString(), Qt::FindDirectChildrenOnly);
    window->layout()->addWidget(new views::TraceDetailView(content, window));
    window->setFixedSize(windowSize);
    centreOnScreen(window);

    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace tovra::app
