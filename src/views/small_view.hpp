#pragma once
// The small widget: the day's totals, the activity line and the freshness.

#include "data/records.hpp"
#include "platform/ui/tree/node.hpp"

namespace corvane {

struct SmallView {
  static constexpr std::string_view name = "SmallView";
  Snapshot d;

  Node body(const Environment& env) const;
};

}  // namespace corvane
