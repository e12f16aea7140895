#include "platform/x11/X11PlatformBackend.h"

namespace tovra {

namespace {

std::unique_ptr<X11Connection> openConnection(const X11SessionEnvironment &environment)
{
    if (environment.isWaylandSession)
        return std::make_unique<X11Connection>(X11Connection::Unavailable {});
    return std::make_unique<X11Connection>(environment.displayName);
}

} // namespace

X11SessionEnvironment X11SessionEnvironment::fromEnvironment()
{
    X11SessionEnvironment environment;
    environment.isWaylandSession = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return environment;
}

X11PlatformBackend::X11PlatformBackend(
    ProcessIdentifier ownProcessIdentifier, X11SessionEnvironment environment)
    : m_ownProcessIdentifier(ownProcessIdentifier)
    , m_connection(openConnection(environment))
    , m_windows(*m_connection)
    , m_keyboard(*m_connection)
    , m_pasteboard(*m_connection)
    , m_workspace(*m_connection, m_desktopEntries)
    , m_accessibility(m_desktopEntries, m_clock)
    , m_inputMonitoring(m_keyboard)
    , m_keyCommandTap(m_keyboard, m_windows, m_clock)
    , m_keyEventPoster(*m_connection, m_keyboard, &m_keyCommandTap)
    , m_hotKeyRegistrar(*m_connection, m_keyboard)
{
}

PlatformServices X11PlatformBackend::services()
{
    PlatformServices services;
    services.pasteboard = &m_pasteboard;
    services.workspace = &m_workspace;
    services.accessibility = &m_accessibility;
    services.inputMonitoring = &m_inputMonitoring;
    services.keyCommandTap = &m_keyCommandTap;
    services.keyEventPoster = &m_keyEventPoster;
    services.hotKeyRegistrar = &m_hotKeyRegistrar;
    services.clock = &m_clock;
    services.applicationActivity = &m_applicationActivity;
    services.ownProcessIdentifier = m_ownProcessIdentifier;
    return services;
}

} // namespace tovra
