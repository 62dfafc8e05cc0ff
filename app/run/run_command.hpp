#pragma once
// `run`: keeps the widget alive (the timeline loop, live relative texts,
// pictures kept current) until it is told to stop; and `reload`, which asks
// every running host for a new timeline now.

#include <CLI/CLI.hpp>

#include "app/run/window_options.hpp"

namespace corvane {

// A windowed `run` reads its options and hands them to `windows`.
void addRunCommands(CLI::App& app, WindowRunner windows);

}  // namespace corvane
