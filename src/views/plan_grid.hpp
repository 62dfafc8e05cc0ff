#pragma once
// One account's plan as a three-column grid of label/value cells, coloured
// by each cell's state.

#include <vector>

#include "support/cow_vector.hpp"

#include "data/records.hpp"
#include "platform/ui/tree/node.hpp"

namespace corvane {

struct PlanGrid {
  static constexpr std::string_view name = "PlanGrid";
  CowVector<PlanCell> plan;  // shared with the cells the grid makes later

  Node body(const Environment& env) const;
};

}  // namespace corvane
