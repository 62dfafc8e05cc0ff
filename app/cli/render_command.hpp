#pragma once
// `render`: the widget as a person sees it, in PNG, SVG or PDF.

#include <CLI/CLI.hpp>

namespace corvane {

void addRenderCommand(CLI::App& app);

}  // namespace corvane
