#include "platform/ui/text/relative_change.hpp"

#include <cmath>

namespace corvane {
namespace {

// The smallest unit shown for a distance of `seconds` whole seconds.
double stepFor(double seconds) {
  if (seconds < 3600) return 1;
  if (seconds < 86400) return 60;
  return 3600;
}

// A change is looked for a hair after the boundary, where the whole-second
// count has certainly moved on.
constexpr double kPast = 1e-3;

}  // namespace

Date nextRelativeChange(Date date, Date now) {
  const double distance = now.timeIntervalSince(date);
  if (distance >= 0) {
    // Counting up: the next multiple of the shown unit.
    double whole = std::floor(distance);
    double step = stepFor(whole);
    return date.addingTimeInterval((std::floor(whole / step) + 1) * step);
  }
  // Counting down to a future date: the text drops when the remaining
  // distance falls below the current multiple of the unit (and at the date
  // itself, where "0 sec" turns to counting up).
  double whole = std::floor(-distance);
  double step = stepFor(whole);
  double boundary = std::floor(whole / step) * step;     // the remaining distance the text shows
  if (boundary == 0) return date.addingTimeInterval(1);  // "0 sec" until a second has passed
  return date.addingTimeInterval(-boundary + kPast);
}

}  // namespace corvane
