#pragma once
// Subcommands about the widget's views: info and dump.

#include <CLI/CLI.hpp>

namespace corvane {

struct CorvaneWidgets;

void addViewCommands(CLI::App& app, const CorvaneWidgets& bundle);

}  // namespace corvane
