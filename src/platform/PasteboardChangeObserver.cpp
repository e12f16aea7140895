#include "platform/PasteboardChangeObserver.h"

#include "platform/Clock.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"

#include <QTimer>

namespace tovra {

PasteboardChangeObserver::PasteboardChangeObserver(
    const Pasteboard &pasteboard, const Workspace &workspace, Clock &clock, QObject *parent)
    : QObject(parent)
    , m_pasteboard(pasteboard)
    , m_workspace(workspace)
    , m_clock(clock)
    , m_lastChangeCount(pasteboard.changeCount())
{
}

void PasteboardChangeObserver::start(Handler handler)
{
    if (isRunning())
        return;
    m_handler = std::move(handler);
    m_lastChangeCount = m_pasteboard.changeCount();
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::CoarseTimer);
    m_timer->setInterval(pollingInterval);
    connect(m_timer, &QTimer::timeout, this, &PasteboardChangeObserver::poll);
    m_timer->start();
}

void PasteboardChangeObserver::stop()
{
    if (m_timer) {
        // stop() may run inside the timer's own timeout, through the handler.
        m_timer->stop();
        m_timer->deleteLater();
        m_timer = nullptr;
    }
    m_handler = nullptr;
    m_lastChangeCount = m_pasteboard.changeCount();
}

void PasteboardChangeObserver::poll()
{
    if (!isRunning())
        return;
    const qint64 changeCount = m_pasteboard.changeCount();
    if (changeCount == m_lastChangeCount)
        return;
    m_lastChangeCount = changeCount;
    std::optional<ProcessIdentifier> frontmost;
    if (const auto application = m_workspace.frontmostApplication())
        frontmost = application->processIdentifier;
    // The handler may stop this observer; keep it alive for the call.
    const Handler handler = m_handler;
    handler(PasteboardChangeEvent { changeCount, frontmost, m_clock.now() });
}

} // namespace tovra
