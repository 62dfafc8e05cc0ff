#include "platform/ui/paint/symbols.hpp"

namespace corvane {

std::optional<SymbolOutline> symbolOutline(std::string_view systemName) {
  if (systemName == "paperplane.fill") {
    // A paper plane flying up and to the right, seen from above: a large
    // wing from the nose to the left tip, and a smaller wing below it,
    // separated by a narrow gap along the fold.
    return SymbolOutline{
        {{0.96, 0.04}, {0.04, 0.44}, {0.36, 0.58}},                // upper wing
        {{0.96, 0.04}, {0.43, 0.63}, {0.53, 0.96}},                // lower wing
        {{0.36, 0.62}, {0.40, 0.66}, {0.37, 0.84}, {0.30, 0.70}},  // tail fold
    };
  }
  return std::nullopt;
}

}  // namespace corvane
