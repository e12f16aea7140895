#include "platform/x11/X11InputMonitoring.h"

#include "platform/x11/X11Keyboard.h"

namespace tovra {

X11InputMonitoring::X11InputMonitoring(const X11Keyboard &keyboard)
    : m_keyboard(keyboard)
{
}

bool X11InputMonitoring::isTrusted() const
{
    return m_keyboard.hasRawEvents();
}

bool X11InputMonitoring::requestAccess()
{
    return isTrusted();
}

std::optional<QUrl> X11InputMonitoring::systemSettingsURL() const
{
    return std::nullopt;
}

} // namespace tovra
