#pragma once
// The title line of every layout (icon, upper-cased title, freshness at the
// right) and the freshness line itself.

#include <optional>
#include <string>

#include "platform/ui/tree/node.hpp"

namespace corvane {

// The system symbol at the head of every layout, also the application's icon.
constexpr const char* kBrandSymbol = "paperplane.fill";

struct Header {
  static constexpr std::string_view name = "Header";
  std::string title;
  std::optional<double> at;  // absent: no freshness line

  Node body(const Environment& env) const;
};

// A quiet relative time while the snapshot is at most 15 minutes old, then a
// warning naming the time of day of the last update. Decided from the clock
// each time the body is built.
struct Updated {
  static constexpr std::string_view name = "Updated";
  static constexpr double kStaleAfter = 900;  // seconds
  double at;

  Node body(const Environment& env) const;
};

}  // namespace corvane
