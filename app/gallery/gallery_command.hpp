#pragma once
// `gallery`: every family in every state a snapshot can put the widget in,
// on one sheet (PNG, PDF or HTML).

#include <CLI/CLI.hpp>

namespace corvane {

void addGalleryCommand(CLI::App& app);

}  // namespace corvane
