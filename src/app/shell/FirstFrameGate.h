#pragma once

#include <condition_variable>
#include <mutex>

namespace tovra::app {

// Holds the ledger's first read back until the main window has put its first
// frame on the screen, so that the window's start is all the processor does
// until then. Opened once, from any thread; waiting on an open gate returns
// at once.
class FirstFrameGate {
public:
    void open();
    void wait();

private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
};

} // namespace tovra::app
