#pragma once
// The layout shown instead of data: one message under the plain header.

#include <string>

#include "platform/ui/tree/node.hpp"

namespace corvane {

struct Empty {
  static constexpr std::string_view name = "Empty";
  std::string text;

  Node body(const Environment& env) const;
};

}  // namespace corvane
