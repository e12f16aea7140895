#pragma once

#include "platform/ProcessIdentifier.h"

namespace tovra {

class Accessibility;
class ApplicationActivity;
class Clock;
class HotKeyRegistrar;
class InputMonitoring;
class KeyCommandTap;
class KeyEventPoster;
class Pasteboard;
class Workspace;

// The operating-system services of one backend (the X11 desktop, the simulated
// desktop), so that the app is built the same way over either. The backend
// owns the objects and outlives every user of this bundle.
struct PlatformServices {
    Pasteboard *pasteboard = nullptr;
    Workspace *workspace = nullptr;
    Accessibility *accessibility = nullptr;
    InputMonitoring *inputMonitoring = nullptr;
    KeyCommandTap *keyCommandTap = nullptr;
    KeyEventPoster *keyEventPoster = nullptr;
    HotKeyRegistrar *hotKeyRegistrar = nullptr;
    Clock *clock = nullptr;
    ApplicationActivity *applicationActivity = nullptr;
    // This program's own process, as the backend's applications name it.
    ProcessIdentifier ownProcessIdentifier = 0;
};

} // namespace tovra
