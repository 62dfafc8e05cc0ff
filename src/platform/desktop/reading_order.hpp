#pragma once
// What a screen reader reads for a laid-out widget: its texts in the order a
// person reads them.

#include <string>

#include "platform/ui/layout/layout_box.hpp"

namespace corvane {

// The texts of `tree`, top to bottom and, within a line, left to right (the
// tree's own order, which is the order stacks place their children in),
// joined with ", ". Texts cut to nothing and blank texts are left out.
std::string readingOrderText(const BoxTree& tree);

}  // namespace corvane
