#include "platform/desktop/scale_choice.hpp"

#include <algorithm>

namespace corvane {

std::optional<int> ScaleChoice::seen(const void* window, int scale) {
  scales_[window] = scale;
  return choose();
}

std::optional<int> ScaleChoice::forget(const void* window) {
  if (scales_.erase(window) == 0 || scales_.empty()) return std::nullopt;
  return choose();
}

std::optional<int> ScaleChoice::choose() {
  int want = 1;
  for (const auto& [window, scale] : scales_) want = std::max(want, scale);
  if (want == chosen_) return std::nullopt;
  chosen_ = want;
  return want;
}

}  // namespace corvane
