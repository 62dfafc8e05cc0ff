#include "views/dot.hpp"

#include "views/palette.hpp"

namespace corvane {

Node Dot::body(const Environment&) const {
  // Whole-string, case-sensitive comparisons: no other word has a colour.
  const Color& color = state == "run" ? cvRun() : state == "err" ? cvErrDot() : cvIdle();
  return Circle().fill(color).frame(7, 7, Alignment::center);
}

}  // namespace corvane
