#pragma once
// `run` with a window: the widget on a person's desktop, one window per
// family, each kept current by the host. Only the window program links this
// (and GTK); see app/window_program.hpp.

#include "app/window_options.hpp"

namespace corvane {

// The display went away while the widget showed and the program could not
// start again to wait for it: the process ends with this status, so a
// service manager knows to start it again.
constexpr int kExitDisplayLost = 3;

// The command line the window program was started with: it starts afresh
// with it when the display goes away (GTK cannot open a display again).
void rememberCommandLine(char** argv);

// Shows the windows and runs until Quit, a signal or the last window closing.
// A host already running for this user is asked to show the families
// instead. Throws CommandFailure (status 2) when there is no display.
void runWindows(const WindowRunOptions& options);

}  // namespace corvane
