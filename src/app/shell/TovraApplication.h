#pragma once

namespace tovra::app {

// The desktop app's whole life: one instance per user and session, the
// delegate's launch, the event loop, and one way out for the quit button,
// the tray menu, SIGTERM and SIGINT alike.
class TovraApplication {
public:
    // Returns the process's exit status: 0 after a quit or after handing the
    // command line's links to the app already running; 1 without a display.
    static int run(int argc, char **argv);
};

} // namespace tovra::app
