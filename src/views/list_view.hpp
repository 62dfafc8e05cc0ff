#pragma once
// The medium and large layouts: header, up to `max` account rows with faint
// dividers between them, a line counting the accounts that did not fit, and
// free space below that keeps everything at the top.

#include <cstdint>
#include <string>

#include "data/records.hpp"
#include "platform/ui/tree/node.hpp"

namespace corvane {

struct ListView {
  static constexpr std::string_view name = "ListView";
  Snapshot d;
  std::string title;
  std::int64_t max;  // a negative value shows no rows, like 0
  bool withPlan;

  Node body(const Environment& env) const;
};

}  // namespace corvane
