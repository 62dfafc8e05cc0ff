#pragma once
// The `corvane-widget` command line: the stand-in host's front door.

namespace corvane {

struct CorvaneWidgets;

// Parses the arguments, runs one subcommand and returns the exit status:
// 0 success, 1 invalid input, 2 usage error or unreadable input.
int runCommandLine(const CorvaneWidgets& bundle, int argc, char** argv);

}  // namespace corvane
