#pragma once
// `run`: keeps the widget alive (the timeline loop, live relative texts,
// pictures kept current) until it is told to stop; and `reload`, which asks
// every running host for a new timeline now.

#include <CLI/CLI.hpp>

namespace corvane {

void addRunCommands(CLI::App& app);

}  // namespace corvane
