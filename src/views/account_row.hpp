#pragma once
// One account in the medium and large layouts: dot, handle, count and "DM"
// on one line, the note under it, and the plan grid when asked for.

#include "data/records.hpp"
#include "platform/ui/tree/node.hpp"

namespace corvane {

struct AccountRow {
  static constexpr std::string_view name = "AccountRow";
  // The note and the plan start where the handle starts: dot (7) + spacing (6).
  static constexpr double kInset = 13;
  Account a;
  bool withPlan;

  Node body(const Environment& env) const;
};

}  // namespace corvane
