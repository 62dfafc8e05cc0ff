#pragma once
// The 7-point disc at the start of an account line: green while running, red
// in error, grey otherwise.

#include <string>

#include "platform/ui/tree/node.hpp"

namespace corvane {

struct Dot {
  static constexpr std::string_view name = "Dot";
  std::string state;

  Node body(const Environment& env) const;
};

}  // namespace corvane
