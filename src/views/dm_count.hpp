#pragma once
// A DM count against an optional cap in monospaced figures: "7/40", or "7"
// alone when there is no cap.

#include <cstdint>
#include <optional>

#include "platform/ui/tree/node.hpp"

namespace corvane {

struct DmCount {
  static constexpr std::string_view name = "DmCount";
  std::int64_t dms;
  std::optional<std::int64_t> cap;
  double size = 12.5;

  Node body(const Environment& env) const;
};

}  // namespace corvane
