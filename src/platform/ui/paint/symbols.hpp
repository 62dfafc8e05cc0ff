#pragma once
// The system symbols the widget uses, as our own vector outlines in a unit
// square (x right, y down), filled with the nonzero rule.

#include <optional>
#include <string_view>
#include <vector>

namespace corvane {

struct SymbolPoint {
  double x, y;
};

// Closed polygons.
using SymbolOutline = std::vector<std::vector<SymbolPoint>>;

// The outline of a symbol by its system name, or none for an unknown name.
std::optional<SymbolOutline> symbolOutline(std::string_view systemName);

}  // namespace corvane
