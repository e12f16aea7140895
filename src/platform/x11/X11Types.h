#pragma once

// The few Xlib types that appear in our headers, declared without Xlib.h:
// its macros (None, Status, KeyPress, Bool, ...) break Qt headers included
// after it, so only .cpp files include Xlib, and only after everything else.

struct _XDisplay;
union _XEvent;

namespace tovra {

using X11Display = ::_XDisplay;
using X11Event = ::_XEvent;
// XID, Window, Atom, Time and KeySym are all unsigned long in Xlib.
using X11Window = unsigned long;
using X11Atom = unsigned long;
using X11Time = unsigned long;

} // namespace tovra
