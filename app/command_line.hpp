#pragma once
// The `corvane-widget` command line: the stand-in host's front door.

#include "app/window_options.hpp"

namespace corvane {

struct CorvaneWidgets;

// Parses the arguments, runs one subcommand and returns the exit status:
// 0 success, 1 invalid input, 2 usage error or unreadable input. A windowed
// `run` ends in `windows`.
int runCommandLine(const CorvaneWidgets& bundle, int argc, char** argv, const WindowRunner& windows);

}  // namespace corvane
