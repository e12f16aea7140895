#include "app/shell/FirstFrameGate.h"

namespace tovra::app {

void FirstFrameGate::open()
{
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
    }
    m_opened.notify_all();
}

void FirstFrameGate::wait()
{
    std::unique_lock lock(m_mutex);
    m_opened.wait(lock, [this] { return m_open; });
}

} // namespace tovra::app
