#pragma once
// The drawing subcommands: `render`, the widget as a person sees it, in PNG,
// SVG or PDF; `gallery`, all of its states on one sheet.

#include <CLI/CLI.hpp>

namespace corvane {

void addRenderCommand(CLI::App& app);

// The `gallery` subcommand (gallery_command.cpp): every family in every state
// a snapshot can put the widget in, on one sheet (PNG, PDF or HTML).
void addGalleryCommand(CLI::App& app);

}  // namespace corvane
