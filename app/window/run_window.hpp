#pragma once
// `run` with a window: the widget on a person's desktop, one window per
// family, each kept current by the host. Only the window program links this
// (and GTK); see app/window_program.hpp.

#include "app/run/window_options.hpp"

namespace corvane {

// The command line the window program was started with: it starts afresh
// with it when the display goes away (GTK cannot open a display again).
void rememberCommandLine(char** argv);

// Shows the windows and runs until Quit, a signal or the last window closing.
// A host already running for this user is asked to show the families
// instead. Throws CommandFailure (status 2) when there is no display.
void runWindows(const WindowRunOptions& options);

}  // namespace corvane
