#pragma once
// The one scale the host lays its views out for, chosen from the scales the
// windows are drawn at: the largest, so that windows on monitors of
// different scales never take turns relaying out. Pure, tested without a
// display.

#include <map>
#include <optional>

namespace corvane {

class ScaleChoice {
 public:
  // Before any window is drawn: the scale of the monitor the widgets start on.
  explicit ScaleChoice(int start) : chosen_(start) {}

  // `window` was drawn at `scale`. Returns the new scale to lay out for
  // when the choice changes.
  std::optional<int> seen(const void* window, int scale);
  // `window` is gone: its scale no longer counts. Returns the new scale
  // when the choice changes.
  std::optional<int> forget(const void* window);
  int chosen() const { return chosen_; }

 private:
  std::optional<int> choose();

  std::map<const void*, int> scales_;  // each window's scale at its last paint
  int chosen_;
};

}  // namespace corvane
