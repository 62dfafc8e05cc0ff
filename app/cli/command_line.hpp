#pragma once
// The `corvane-widget` command line: the stand-in host's front door.

#include <CLI/CLI.hpp>

#include <memory>

#include "app/run/window_options.hpp"

namespace corvane {

struct CorvaneWidgets;

constexpr const char* kProgramName = "corvane-widget";

// The whole command line, every subcommand and option with its description:
// what runCommandLine parses, and what the manual page and the shell
// completions are written from when the program is built, so that they
// cannot say other than `--help`. A windowed `run` ends in `windows`.
std::unique_ptr<CLI::App> makeCommandLine(const CorvaneWidgets& bundle, const WindowRunner& windows);

// Parses the arguments, runs one subcommand and returns the exit status:
// 0 success, 1 invalid input, 2 usage error or unreadable input. A windowed
// `run` ends in `windows`.
int runCommandLine(const CorvaneWidgets& bundle, int argc, char** argv, const WindowRunner& windows);

}  // namespace corvane
