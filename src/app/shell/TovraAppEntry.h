#pragma once

// The app side's one entry point. The app (model, views, shell, the GUI part
// of the platform layer) is built as a module that the launcher loads only in
// app mode, so that host mode never maps a GUI library; the launcher finds
// this function in it by name.

namespace tovra {

inline constexpr const char *appEntrySymbol = "tovra_run_application";
using AppEntry = int (*)(int argc, char **argv);

} // namespace tovra

extern "C" int tovra_run_application(int argc, char **argv);
