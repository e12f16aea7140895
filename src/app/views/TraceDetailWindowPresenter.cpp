#include "app/views/TraceDetailWindowPresenter.h"

#include "app/views/ScreenFit.h"
#include "app/views/TraceDetailView.h"

#include <QScrollArea>
#include <QShortcut>
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
    // The content scrolls where the screen has less room than the window.
    auto *scroll = new QScrollArea(window);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(scroll);
    // Escape closes it, as it closes a sheet, wherever the focus is inside.
    auto *close = new QShortcut(QKeySequence::Cancel, window);
    QObject::connect(close, &QShortcut::activated, window, &QWidget::close);
    return window;
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
    // The scroll area deletes the view of the previous content.
    auto *scroll = window->findChild<QScrollArea *>(QString(), Qt::FindDirectChildrenOnly);
    scroll->setWidget(new views::TraceDetailView(content, scroll));
    scroll->setAccessibleName(window->windowTitle());
    views::fitToScreen(window, windowSize, views::Placement::centre);

    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    // Framed now: the title bar and borders count against the room too.
    views::fitToScreen(window, windowSize, views::Placement::keep);
    window->raise();
    window->activateWindow();
}

} // namespace tovra::app
